#!/usr/bin/env python3
# Puts the object rows of lang/tables/lang.inc in the order the include file generator walks
# the program's windows, keeping every row and every text: only the order of the path list and
# of the translation rows changes, and a row the walk does not know stays right after the row
# it followed. The walk comes from the test that compares it with the table:
#
#   TAMAREL_WALK_OUT=/tmp/walk.txt QT_QPA_PLATFORM=offscreen build/bin/app_windows_fault_test \
#       theIncludeFileListsTheWindowsInTheShippedTablesOrder
#   python3 lang/tools/order-objects.py lang/tables/lang.inc /tmp/walk.txt
#
# The file is Windows-1250 with CR LF line ends, read and written as such.
import re
import sys


def main(path, walk_file):
    walk = [line.strip() for line in open(walk_file, encoding='utf-8') if line.strip()]
    text = open(path, 'rb').read().decode('cp1250')
    a0 = text.index(" LLangObjects : array")
    a1 = text.index("\r\n", a0) + 2
    a2 = text.index("       '');\r\n", a1)
    paths = [line.strip() for line in text[a1:a2].split("\r\n") if line.strip()]
    t0 = text.index(" lLangTranslations")
    t1 = text.index("\r\n", t0) + 2
    t2 = text.index("     ('', ''));\r\n", t1)
    body = text[t1:t2]
    rows = re.findall(r"     \(\{English:\}.*?\}\r\n(?=     \(|$)", body, re.S)
    if ''.join(rows) != body or len(rows) != len(paths):
        sys.exit('the object rows are not in the generator layout')
    keys = [p[1:-2].replace("''", "'") for p in paths]   # 'path', -> path
    position = {k: i for i, k in enumerate(walk)}
    order, last = [], -1
    for i, key in enumerate(keys):
        if key in position:
            last = position[key]
            order.append((last, 0, i))
        else:
            order.append((last, 1, i))
    order.sort()
    index = [i for _, _, i in order]
    # The translations lie after the paths: replace them first, so the path offsets still hold.
    text = text[:t1] + ''.join(rows[i] for i in index) + text[t2:]
    text = text[:a1] + ''.join("       " + paths[i] + "\r\n" for i in index) + text[a2:]
    open(path, 'wb').write(text.encode('cp1250'))
    print('%d rows, %d moved, %d not on the walk' % (len(keys), sum(1 for j, i in enumerate(index) if i != j),
                                                    sum(1 for k in keys if k not in position)))


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit('usage: order-objects.py LANG.INC WALK.TXT')
    main(sys.argv[1], sys.argv[2])
