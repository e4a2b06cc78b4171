// The monitor list every host fills from its platform's report.
#include "host_rules/monitor_list.h"

bool ListMonitor(MonitorList& list, ScreenBox box, bool primary)
{
    if (list.count >= maxMonitors || box.width <= 0 || box.height <= 0)
        return false;
    if (primary)
        list.primary = list.count;
    list.boxes[list.count++] = box;
    return true;
}
