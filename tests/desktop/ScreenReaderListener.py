"""What a screen reader hears of one program, written as JSON lines on stdout.

Run with Debian's own python3 (gi.repository.Atspi) on the session bus that carries the
accessibility bus. Every event of the program named on the command line is printed; a window
that is activated or shows is printed with its whole tree, as a screen reader reads it then.
"""
import json
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

PROGRAM = sys.argv[1]
WINDOW_ROLES = {"frame", "dialog", "window", "notification"}


def say(record):
    print(json.dumps(record, ensure_ascii=False), flush=True)


def describe(node):
    # Read what the program says now, not what libatspi kept from an earlier look.
    node.clear_cache()
    labels = []
    for relation in node.get_relation_set() or []:
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            for i in range(relation.get_n_targets()):
                labels.append(relation.get_target(i).get_name())
    states = node.get_state_set()
    return {
        "role": node.get_role_name(),
        "name": node.get_name(),
        "labelledBy": labels,
        "focused": states.contains(Atspi.StateType.FOCUSED),
        "showing": states.contains(Atspi.StateType.SHOWING),
    }


def tree(node, depth=0):
    nodes = [dict(describe(node), depth=depth)]
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            nodes += tree(child, depth + 1)
    return nodes


def application_name(source):
    application = source.get_application()
    return application.get_name() if application is not None else ""


def on_event(event):
    try:
        if application_name(event.source) != PROGRAM:
            return
        record = dict(describe(event.source), event=event.type, detail=event.detail1)
        if event.type.startswith("object:state-changed:showing") and event.detail1 == 1:
            # What has the focus in the program at the moment something shows.
            application = event.source.get_application()
            record["focusedNow"] = [n for n in tree(application) if n["focused"]]
        if record["role"] in WINDOW_ROLES and (
                event.type.startswith("window:activate") or event.detail1 == 1):
            record["tree"] = tree(event.source)
        say(record)
    except gi.repository.GLib.Error as error:  # the object went while being read
        say({"error": str(error), "event": event.type})


listener = Atspi.EventListener.new(on_event)
for kind in ("object:state-changed:showing", "object:state-changed:focused",
             "window:activate", "window:create"):
    listener.register(kind)
say({"listening": True})
Atspi.event_main()
