#!/usr/bin/env python3
# Merges two changes of lang/tables/lang.inc row by row, as a git merge driver: rows (window
# objects by their path, messages by their English text) that one side added, changed or
# removed are taken from it, the other side's rows stay, and the two counts are set to the
# rows that are there. A row both sides changed differently is a conflict: ours is kept, the
# row is named, and the exit status is 1. Set up once per clone:
#
#   git config merge.langinc.driver 'python3 lang/tools/merge-lang.py %O %A %B'
#   echo 'lang/tables/lang.inc merge=langinc' >> .git/info/attributes
#
# Afterwards put the object rows in the generator's order with order-objects.py.
# The file is Windows-1250 with CR LF line ends, read and written as such.
import re
import sys

OBJ_END = "       '');\r\n"
TR_END = "     ('', ''));\r\n"
MSG_END = "  ('', '', ''));"


def canonical(text):
    """The rows in the generator's indentation (hand edits may shift a row's blanks)."""
    text = re.sub(r"(?m)^ *\(\{English:\}", "     ({English:}", text)
    text = re.sub(r"(?m)^ *\{Česky:\}  ", "        {Česky:}  ", text)
    text = re.sub(r"(?m)^ *\(\{Default\}", "    ({Default}", text)
    text = re.sub(r"(?m)^ *\{English\}   ", "       {English}   ", text)
    text = re.sub(r"(?m)^ *\{Česky\}     ", "       {Česky}     ", text)
    text = re.sub(r"(?m)^ *\('', ''\)\);", "     ('', ''));", text)
    text = re.sub(r"(?m)^ *'(.*)',\r$", lambda m: "       '" + m.group(1) + "',\r", text)
    text = re.sub(r"(?m)^ *''\);\r$", "       '');\r", text)
    return text


def parse(path):
    text = canonical(open(path, 'rb').read().decode('cp1250'))
    a0 = text.index(" LLangObjects : array")
    a1 = text.index("\r\n", a0) + 2
    a2 = text.index(OBJ_END, a1)
    paths = [line.strip() for line in text[a1:a2].split("\r\n") if line.strip()]
    t0 = text.index(" lLangTranslations")
    t1 = text.index("\r\n", t0) + 2
    t2 = text.index(TR_END, t1)
    rows = re.findall(r"     \(\{English:\}.*?\}\r\n(?=     \(|$)", text[t1:t2], re.S)
    if ''.join(rows) != text[t1:t2] or len(rows) != len(paths):
        sys.exit('%s: the object rows are not in the generator layout' % path)
    m0 = text.index(" lLangMessages : array")
    m1 = text.index("\r\n", m0) + 2
    m2 = text.index(MSG_END, m1)
    messages = re.findall(r"    \(\{Default\}.*?\),\r\n(?=    \(\{Default\}|$)", text[m1:m2], re.S)
    if ''.join(messages) != text[m1:m2]:
        sys.exit('%s: the message rows are not in the generator layout' % path)
    keys = [m[:m.index(",\r\n       {English}")] for m in messages]
    return {
        'head': text[:a1], 'mid1': text[a2:t1], 'mid2': text[t2:m1], 'tail': text[m2:],
        'objects': list(zip(paths, rows)), 'messages': list(zip(keys, messages)),
    }


def merge_rows(base, ours, theirs, what, conflicts):
    """Three-way merge of (key, row) lists; new rows of theirs follow the row they followed."""
    b, o, t = dict(base), dict(ours), dict(theirs)
    result = []
    for key, row in ours:
        if key in b and key not in t and b[key] == row:
            continue   # theirs removed it, ours left it alone
        if key in t and key in b and t[key] != b[key]:
            if row == b[key] or row == t[key]:
                row = t[key]
            else:
                conflicts.append('%s %s' % (what, key.strip()))
        result.append((key, row))
    present = {k for k, _ in result}
    previous = None
    for key, row in theirs:
        if key not in present and key not in b:
            at = 0 if previous is None else next(
                (i + 1 for i, (k, _) in enumerate(result) if k == previous), len(result))
            result.insert(at, (key, row))
            present.add(key)
        previous = key
    return result


def write(path, parts, objects, messages):
    head = re.sub(r"LLangObjectsNum = \d+;", "LLangObjectsNum = %d;" % len(objects), parts['head'])
    mid2 = re.sub(r"lLangMessagesNum = \d+;", "lLangMessagesNum = %d;" % len(messages), parts['mid2'])
    text = (head + ''.join("       " + p + "\r\n" for p, _ in objects) + parts['mid1'] +
            ''.join(r for _, r in objects) + mid2 + ''.join(r for _, r in messages) + parts['tail'])
    open(path, 'wb').write(text.encode('cp1250'))


def main(base_path, ours_path, theirs_path):
    base, ours, theirs = parse(base_path), parse(ours_path), parse(theirs_path)
    conflicts = []
    objects = merge_rows(base['objects'], ours['objects'], theirs['objects'], 'object', conflicts)
    messages = merge_rows(base['messages'], ours['messages'], theirs['messages'], 'message', conflicts)
    write(ours_path, ours, objects, messages)
    for c in conflicts:
        print('lang.inc: both sides changed %s; ours kept' % c, file=sys.stderr)
    return 1 if conflicts else 0


if __name__ == '__main__':
    if len(sys.argv) != 4:
        sys.exit('usage: merge-lang.py BASE OURS THEIRS   (the result replaces OURS)')
    sys.exit(main(*sys.argv[1:]))
