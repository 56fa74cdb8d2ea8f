/* The peer of the import comparison: SAX-parses an HTML file with libxml2's HTML parser
 * and counts its links (anchors with an href) and folder headings (h3). It builds no
 * tree and keeps nothing, so it stands for the least work any HTML-based import does.
 *
 *   libxml2_count FILE      prints "links=N folders=M"
 *
 * Built by bench/compare.sh from Debian's libxml2-dev; never part of the product. */
#include <stdio.h>
#include <string.h>

#include <libxml/HTMLparser.h>

struct counts
{
    long links;
    long folders;
};

static void start_element(void *data, const xmlChar *name, const xmlChar **attrs)
{
    struct counts *counts = data;
    if (name[0] == 'a' && name[1] == '\0') {
        for (const xmlChar **a = attrs; a != NULL && a[0] != NULL; a += 2) {
            if (strcmp((const char *)a[0], "href") == 0) {
                counts->links++;
                break;
            }
        }
    } else if (strcmp((const char *)name, "h3") == 0) {
        counts->folders++;
    }
}

static void quiet(void *data, const char *message, ...)
{
    (void)data;
    (void)message;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: libxml2_count FILE\n");
        return 2;
    }
    htmlSAXHandler sax;
    memset(&sax, 0, sizeof sax);
    sax.startElement = start_element;
    sax.warning = quiet;
    sax.error = quiet;
    struct counts counts = { 0, 0 };
    htmlDocPtr doc = htmlSAXParseFile(argv[1], "UTF-8", &sax, &counts);
    if (doc != NULL) {
        xmlFreeDoc(doc);
    }
    printf("links=%ld folders=%ld\n", counts.links, counts.folders);
    xmlCleanupParser();
    return 0;
}
