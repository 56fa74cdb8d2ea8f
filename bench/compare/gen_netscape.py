#!/usr/bin/python3
"""Writes a Netscape bookmark file shaped like a Firefox export.

Usage: gen_netscape.py OUT LINKS FOLDERS [--seed N] [--no-dates] [--dd PERCENT]

LINKS links spread over FOLDERS folders nested up to five levels below the three
top-level folders Firefox writes (menu, toolbar, other). Lines carry ADD_DATE and
LAST_MODIFIED (unless --no-dates), some anchors ICON_URI or TAGS, some names non-ASCII
text and character references, and PERCENT of the links (default 5) a <DD>
description. The same arguments always give the same bytes: about 230 bytes a link.
"""
import argparse
import random
import sys

HEADER = """<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten.
     DO NOT EDIT! -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<meta http-equiv="Content-Security-Policy"
      content="default-src 'self'; script-src 'none'; img-src data: *; object-src 'none'"></meta>
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>

<DL><p>
"""

WORDS = ("news weather recipes travel guide linux kernel release notes python tutorial music "
         "review garden forum photo archive library science history maps shop deals video "
         "podcast health finance sports research paper project docs wiki blog").split()
FOREIGN = ["Über uns", "Новости", "日本語のページ", "Café crème", "Ελληνικά", "Ñandú"]
HOSTS = ["www.example.com", "news.example.org", "docs.example.net", "blog.example.io",
         "shop.example.co.uk", "wiki.example.de", "forum.example.fr", "media.example.jp"]


def title(rng):
    words = " ".join(rng.choice(WORDS).capitalize() for _ in range(rng.randint(4, 9)))
    roll = rng.random()
    if roll < 0.05:
        return rng.choice(FOREIGN) + " - " + words
    if roll < 0.08:
        return words + " &amp; more"
    if roll < 0.10:
        return "&quot;" + words + "&quot;"
    return words


def url(rng, n):
    host = rng.choice(HOSTS)
    path = "/".join(rng.choice(WORDS) for _ in range(rng.randint(1, 5)))
    scheme = "https" if rng.random() < 0.85 else "http"
    query = "?id=%d&amp;ref=%s" % (n, rng.choice(WORDS)) if rng.random() < 0.5 else ""
    return "%s://%s/%s/%d%s" % (scheme, host, path, n, query)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("links", type=int)
    parser.add_argument("folders", type=int)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--no-dates", action="store_true")
    parser.add_argument("--dd", type=float, default=5.0)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    dates = not args.no_dates

    # The tree: three top-level folders, the others below a random earlier folder that is
    # not yet five levels deep. children[i] lists the folders inside folder i.
    count = max(args.folders, 3)
    depth = [0, 0, 0]
    children = [[] for _ in range(count)]
    for i in range(3, count):
        parent = rng.randrange(i)
        while depth[parent] >= 5:
            parent = rng.randrange(i)
        depth.append(depth[parent] + 1)
        children[parent].append(i)
    links = [0] * count
    for _ in range(args.links):
        links[rng.randrange(count)] += 1

    out = open(args.out, "w", encoding="utf-8", newline="\n")
    out.write(HEADER)
    stamp = [1600000000]
    made = [0]

    def date_attrs():
        stamp[0] += rng.randint(1, 400)
        if not dates:
            return ""
        return ' ADD_DATE="%d" LAST_MODIFIED="%d"' % (stamp[0], stamp[0] + rng.randint(0, 9999))

    def write_folder(index, level):
        indent = "    " * level
        names = {0: "Bookmarks Toolbar", 1: "Other Bookmarks", 2: "Mozilla Firefox"}
        name = names.get(index) or title(rng)
        extra = ' PERSONAL_TOOLBAR_FOLDER="true"' if index == 0 else ""
        out.write('%s<DT><H3%s%s>%s</H3>\n' % (indent, date_attrs(), extra, name))
        out.write("%s<DL><p>\n" % indent)
        inner = indent + "    "
        for _ in range(links[index]):
            made[0] += 1
            attrs = date_attrs()
            roll = rng.random()
            if roll < 0.20:
                attrs += ' ICON_URI="https://%s/favicon.ico"' % rng.choice(HOSTS)
            elif roll < 0.25:
                attrs += ' TAGS="%s,%s"' % (rng.choice(WORDS), rng.choice(WORDS))
            out.write('%s<DT><A HREF="%s"%s>%s</A>\n' % (inner, url(rng, made[0]), attrs, title(rng)))
            if rng.random() * 100 < args.dd:
                out.write("%s<DD>%s\n" % (inner, title(rng) + ". " + title(rng)))
        for child in children[index]:
            write_folder(child, level + 1)
        out.write("%s</DL><p>\n" % indent)

    # Folders 0..2 and every folder below them; Firefox writes the toolbar and the other
    # folder inside the menu's list.
    for top in range(3):
        write_folder(top, 1)
    out.write("</DL>\n")
    out.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
