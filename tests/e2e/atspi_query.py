#!/usr/bin/python3
"""Reads the stock picker's window as a screen reader does, through AT-SPI.

Usage: atspi_query.py frame|combo|description|rows|codes|search
  frame        the role and name of the program's window
  combo        the combo box's name
  description  the combo box's description
  rows         the names of the list's items, one a line, in order
  codes        the descriptions of the list's items, one a line, in order
  search       the name of the box that shows what is typed to find a stock
  shown        the search's box's name while it shows, nothing once it is gone
  shown-at     where the search's box shows on the screen: X Y WIDTH HEIGHT
  highlighted  the name of the open list's highlighted (selected) row
  watch        each name the search's box is given, a line each, as it is
               given, until killed
"""
import sys

import pyatspi


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "stockpicker":
            return app
    sys.exit("no application named stockpicker on the accessibility bus")


def walk(node, depth=0):
    yield node
    if depth > 12:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def first(role):
    for node in walk(application()):
        if node.getRole() == role:
            return node
    sys.exit(f"no {role} in the window")


what = sys.argv[1]
if what == "frame":
    window = application().getChildAtIndex(0)
    print(window.getRoleName(), window.name, sep="\t")
elif what == "combo":
    print(first(pyatspi.ROLE_COMBO_BOX).name)
elif what == "description":
    print(first(pyatspi.ROLE_COMBO_BOX).description)
elif what in ("rows", "codes"):
    for node in walk(first(pyatspi.ROLE_COMBO_BOX)):
        if node.getRole() in (pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL):
            print(node.name if what == "rows" else node.description)
elif what == "search":
    for node in walk(application()):
        if node.getRole() == pyatspi.ROLE_LABEL and node.name:
            print(node.name)
            break
elif what == "shown":
    for node in walk(application()):
        if node.getRole() == pyatspi.ROLE_LABEL and node.getState().contains(pyatspi.STATE_SHOWING):
            print(node.name)
            break
elif what == "shown-at":
    for node in walk(application()):
        if node.getRole() == pyatspi.ROLE_LABEL and node.getState().contains(pyatspi.STATE_SHOWING):
            box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            print(box.x, box.y, box.width, box.height)
            break
elif what == "highlighted":
    for node in walk(first(pyatspi.ROLE_COMBO_BOX)):
        if node.getRole() in (pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL) and node.getState().contains(
            pyatspi.STATE_SELECTED
        ):
            print(node.name)
elif what == "watch":
    # Events, not polling: a name shown for a moment is caught too.
    def said(event):
        if event.source is not None and event.source.getRole() == pyatspi.ROLE_LABEL:
            print(event.source.name, flush=True)

    application()  # fails at once where the program is not on the bus
    pyatspi.Registry.registerEventListener(said, "object:property-change:accessible-name")
    print("watching", flush=True)
    pyatspi.Registry.start()
else:
    sys.exit(__doc__)
