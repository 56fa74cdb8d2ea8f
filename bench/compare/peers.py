#!/usr/bin/python3
"""The Python peers of the comparison: the same jobs done with the standard library.

  peers.py count DB            csv.reader over a database file; prints the row count
  peers.py netscape DB OUT     reads DB with csv.reader and writes the whole tree as a
                               Netscape bookmark file (html.escape, buffered text file)
  peers.py bdx DB OUT          reads DB with csv.reader and writes every record back with
                               csv.writer
"""
import csv
import html
import sys


def rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        yield from csv.reader(f)


def count(db):
    n = 0
    for _ in rows(db):
        n += 1
    print(n)


def load_tree(db):
    """Root entries and folders as the database file lists them: (caption, id, entries)."""
    it = rows(db)
    next(it)  # the version record
    root = next(it)
    root_entries = [next(it) for _ in range(int(root[5]))]
    next(it)  # the empty line
    folders = {}
    order = []
    for _ in range(int(root[6])):
        record = next(it)
        entries = [next(it) for _ in range(int(record[5]))]
        folders[record[1]] = (record[0], entries)
        order.append(record[1])
    return root[0], root_entries, folders


def netscape(db, out_path):
    title, root_entries, folders = load_tree(db)
    with open(out_path, "w", encoding="utf-8", newline="") as out:
        shown = html.escape(title, quote=False)
        out.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<!-- This is an automatically generated file.\r\n"
                  "It will be read and overwritten.\r\nDo Not Edit! -->\r\n<TITLE>%s</TITLE>\r\n"
                  "<H1>%s</H1>\r\n\r\n<DL><p>\r\n" % (shown, shown))
        # An explicit stack: links first, then each sub-folder with its own list.
        stack = [(root_entries, 1, 0, False)]
        while stack:
            entries, level, start, opened = stack.pop()
            indent = "    " * (level + 1)
            if start == 0:
                for e in entries:
                    if e[2] != "#TRUE#":
                        out.write('%s    <DT><A HREF="%s" ADD_DATE="0" LAST_VISIT="0" LAST_MODIFIED="0">%s</A>\r\n'
                                  % (indent, html.escape(e[1]), html.escape(e[0], quote=False)))
            child = None
            for i in range(start, len(entries)):
                if entries[i][2] == "#TRUE#" and entries[i][3] in folders:
                    child = i
                    break
            if child is None:
                out.write("%s</DL><p>\r\n" % indent)
                continue
            stack.append((entries, level, child + 1, opened))
            caption, sub = folders[entries[child][3]]
            sub_indent = "    " * (level + 2)
            out.write('%s<DT><H3 FOLDED ADD_DATE="0">%s</H3>\r\n%s<DL><p>\r\n'
                      % (sub_indent, html.escape(caption, quote=False), sub_indent))
            stack.append((sub, level + 1, 0, True))


def bdx(db, out_path):
    with open(out_path, "w", encoding="utf-8", newline="") as out:
        writer = csv.writer(out, lineterminator="\r\n")
        for row in rows(db):
            writer.writerow(row)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    command = sys.argv[1]
    if command == "count":
        count(sys.argv[2])
    elif command == "netscape":
        netscape(sys.argv[2], sys.argv[3])
    elif command == "bdx":
        bdx(sys.argv[2], sys.argv[3])
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
