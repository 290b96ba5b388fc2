#!/usr/bin/python3
"""Prints the accessibility tree (AT-SPI) of the running nuvBrowser, as a screen reader sees
it, and lists the controls a user can reach that have no name. Exit status 1 when there is
such a control. Run it in the browser's desktop session (see accessible-check.sh)."""
import sys
import time

import pyatspi

# Roles a user works with: each needs a name a screen reader can say.
CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_PAGE_TAB,
    pyatspi.ROLE_PAGE_TAB_LIST, pyatspi.ROLE_PROGRESS_BAR, pyatspi.ROLE_TREE,
    pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE_ITEM, pyatspi.ROLE_LIST_ITEM,
    pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU, pyatspi.ROLE_SPLIT_PANE, pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY, pyatspi.ROLE_TOOL_BAR, pyatspi.ROLE_SLIDER, pyatspi.ROLE_SEPARATOR,
}


def find_app(name, wait):
    end = time.time() + wait
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.5)
    return None


def walk(node, depth, missing, out):
    try:
        role = node.getRole()
        name = node.name or ""
        states = node.getState()
    except Exception:
        return
    showing = states.contains(pyatspi.STATE_SHOWING)
    out.append("%s%s \"%s\"%s" % ("  " * depth, node.getRoleName(), name,
                                  "" if showing else " (hidden)"))
    # Menus are built lazily and separators need no name: only what is on the screen counts.
    if (role in CONTROLS and role != pyatspi.ROLE_SEPARATOR and showing and not name.strip()
            and role != pyatspi.ROLE_MENU):
        missing.append("%s at depth %d" % (node.getRoleName(), depth))
    if role == pyatspi.ROLE_DOCUMENT_WEB or depth > 30:
        return  # the page's own content is the page's business
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1, missing, out)


def main():
    app = find_app(sys.argv[1] if len(sys.argv) > 1 else "nuvbrowser", 60)
    if app is None:
        print("no application of that name on the accessibility bus")
        return 2
    missing, out = [], []
    walk(app, 0, missing, out)
    print("\n".join(out))
    if missing:
        print("\nControls without a name:")
        print("\n".join("  " + m for m in missing))
        return 1
    print("\nEvery control on the screen has a name.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
