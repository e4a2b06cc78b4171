#!/usr/bin/env bash
# A long full-screen run under Wine: memory, the process's threads and open files, and its Windows handles,
# GDI and USER objects (where Wine counts them) stay flat while frames go on, and the saver's CPU use (CPU
# seconds per wall second) is reported.
#   reliability_test.sh DRIVER.exe SEND_MESSAGE.exe [SECONDS]   (run by CTest; starts its own X server)
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"
# shellcheck source=saver_test_lib.sh
. "$here/saver_test_lib.sh"
driver=$1
send=$2
seconds=${3:-180}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

XVFB_WIDTH=800 XVFB_HEIGHT=600 "$root/scripts/xvfb-run-here" bash -c "
    . '$here/saver_test_lib.sh'; work='$work'
    use_virtual_desktop 800x600 '$(basename "$driver")' '$(basename "$send")'
    start show '$driver' s
    wait_window 'Screen Saver' 20 || fail 'no saver window'
    sleep 5
    # The Wine process itself, named for its program (15 characters at most), not a shell or a helper process
    # of Wine's whose command line names the program too; and this run's, on this X server, not another
    # run's of the same program elsewhere on the machine.
    pid=\$(for p in \$(pgrep -x '$(basename "$driver" | cut -c1-15)'); do
        grep -qxzF \"DISPLAY=\$DISPLAY\" /proc/\$p/environ 2>/dev/null && echo \$p; done | head -1)
    ticks=\$(getconf CLK_TCK)
    . '$root/scripts/lib/measure.sh'
    cpu() { cpu_ticks \$pid; }
    rss() { awk '/^VmRSS/ { print \$2 }' /proc/\$pid/status; }
    counts() { echo \"threads \$(ls /proc/\$pid/task | wc -l) files \$(ls /proc/\$pid/fd | wc -l) handles/GDI/USER \$('$wine_run' '$send' counts '$(basename "$driver")' | tr -d '\r')\"; }
    first_counts=\$(counts)
    first_rss=\$(rss); first_cpu=\$(cpu); start_time=\$(date +%s.%N)
    echo \"start: rss \${first_rss} kB, \$first_counts\"
    steps=\$(( $seconds / 30 ))
    for step in \$(seq 1 \$steps); do
        sleep 30
        echo \"after \$((step * 30)) s: rss \$(rss) kB, \$(counts)\"
    done
    last_counts=\$(counts)
    last_rss=\$(rss); last_cpu=\$(cpu); end_time=\$(date +%s.%N)
    usage=\$(awk \"BEGIN { printf \\\"%.3f\\\", (\$last_cpu - \$first_cpu) / \$ticks / (\$end_time - \$start_time) }\")
    echo \"CPU use while showing: \$usage CPU seconds per wall second\"
    [ \"\$first_counts\" = \"\$last_counts\" ] && pass \"threads, files and objects flat (\$last_counts)\" || fail \"object counts moved: \$first_counts -> \$last_counts\"
    holds \"\$last_rss <= \$first_rss + 2048\" && pass \"memory flat (\$first_rss -> \$last_rss kB)\" || fail \"memory grew: \$first_rss -> \$last_rss kB\"
    alive show && pass 'the show runs on' || fail 'the show ended by itself'
    xdotool key a
    [ \"\$(wait_exit show 10)\" = 0 ] && pass 'a key ends it with 0' || { fail 'a key did not end it'; stop_all; }
    exit \$failures"
failures=$?
echo "$failures failure(s)"
exit $((failures > 0))
