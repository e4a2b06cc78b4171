# shellcheck shell=bash
# What the measuring scripts (and the long-run test) read of a running process: its processor time in clock
# ticks, and that time per wall-clock second over several runs beside a server's. It only defines functions.

# User plus system time of a process, in clock ticks (fields 14 and 15 of /proc/PID/stat).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# The machine's load average over 1, 5 and 15 minutes, which other work on the machine raises.
load_average() { cut -d' ' -f1-3 /proc/loadavg; }

# Prints, RUNS times over, the share of one processor core that the program used in SECONDS, and the
# server's share beside it, with the load average at the end of each run.
measure_cpu_runs() { # seconds runs name pid server-name server-pid
    local seconds=$1 runs=$2 name=$3 pid=$4 server=$5 server_pid=$6 hz run before server_before start
    hz=$(getconf CLK_TCK)
    for ((run = 1; run <= runs; run++)); do
        before=$(cpu_ticks "$pid")
        server_before=$(cpu_ticks "$server_pid")
        start=$(date +%s.%N)
        sleep "$seconds"
        awk -v run="$run" -v name="$name" -v server="$server" -v t=$(($(cpu_ticks "$pid") - before)) \
            -v s=$(($(cpu_ticks "$server_pid") - server_before)) -v hz="$hz" -v a="$start" -v b="$(date +%s.%N)" \
            -v load="$(load_average)" 'BEGIN {
                printf "  run %d: %s %.2f%% of a core (%s %.2f%%), load average %s\n",
                    run, name, 100 * t / hz / (b - a), server, 100 * s / hz / (b - a), load }'
    done
}
