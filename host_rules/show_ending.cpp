// The user's actions that end a full-screen show.
#include "host_rules/show_ending.h"

bool EndsShow(PointerOrigin& origin, ShowEvent event)
{
    switch (event.kind) {
    case ShowEventKind::keyPressed:
    case ShowEventKind::buttonPressed:
    case ShowEventKind::wheelTurned:
    case ShowEventKind::activationLost:
    case ShowEventKind::powerBroadcast:
    case ShowEventKind::criticalResume: return true;
    case ShowEventKind::pointerMoved:
        if (!IsPastMouseThreshold(origin.x, origin.y, event.x, event.y))
            return false;
        origin = {event.x, event.y};
        return true;
    case ShowEventKind::activationGained:
    case ShowEventKind::powerNotice:
    case ShowEventKind::none: return false;
    }
    return false;
}
