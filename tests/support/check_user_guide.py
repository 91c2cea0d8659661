#!/usr/bin/env python3
"""Reads a user guide with the standard HTML parser and prints what a test
compares: language, charset, viewport, title, the chapter headings with their
ids, and counts of everything a standalone guide must not hold."""

import sys
from html.parser import HTMLParser


# Elements without an end tag; every other element of the guide is closed
# explicitly, in the order it was opened.
VOID = {"meta", "br", "hr", "img", "link", "input", "wbr", "col", "area",
        "base", "source", "track", "embed"}


class Guide(HTMLParser):
    def __init__(self):
        super().__init__()
        self.doctype = ""
        self.lang = ""
        self.charset = ""
        self.viewport = 0
        self.title = ""
        self.h1 = ""
        self.styles = 0
        self.forbidden = 0  # script, img and other embedded or outside content
        self.outside = 0    # links and sources that leave the document
        self.ids = set()
        self.targets = []
        self.chapters = []
        self.stack = []
        self.text = ""
        self.open = []       # every element still open, for the nesting check
        self.mismatched = 0

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag not in VOID:
            self.open.append(tag)
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "html":
            self.lang = a.get("lang", "")
        elif tag == "meta":
            if "charset" in a:
                self.charset = a["charset"].lower()
            if a.get("name") == "viewport":
                self.viewport += 1
        elif tag == "style":
            self.styles += 1
        elif tag in ("script", "img", "iframe", "object", "embed", "link",
                     "picture", "svg", "video", "audio", "base", "form"):
            self.forbidden += 1
        for key in ("src", "srcset", "action", "background"):
            if key in a:
                self.outside += 1
        if "style" in a:
            self.styles += 1
        if tag == "a" and "href" in a:
            if a["href"].startswith("#") and len(a["href"]) > 1:
                self.targets.append(a["href"][1:])
            else:
                self.outside += 1
        if tag in ("title", "h1", "h2"):
            self.stack.append((tag, a))
            self.text = ""

    def handle_endtag(self, tag):
        if self.open and self.open[-1] == tag:
            self.open.pop()
        else:
            self.mismatched += 1
        if self.stack and self.stack[-1][0] == tag:
            name, a = self.stack.pop()
            text = " ".join(self.text.split())
            if name == "title":
                self.title = text
            elif name == "h1":
                self.h1 = text
            elif name == "h2" and "chapter" in a.get("class", "").split():
                self.chapters.append((a.get("id", ""), text))

    def handle_data(self, data):
        if self.stack:
            self.text += data


def main():
    with open(sys.argv[1], "rb") as f:
        raw = f.read()
    guide = Guide()
    guide.feed(raw.decode("utf-8"))
    guide.close()
    print("doctype", guide.doctype)
    print("lang", guide.lang)
    print("charset", guide.charset)
    print("viewport", guide.viewport)
    print("title", guide.title)
    print("h1", guide.h1)
    print("styles", guide.styles)
    print("forbidden", guide.forbidden)
    print("outside", guide.outside)
    print("dangling", len([t for t in guide.targets if t not in guide.ids]))
    print("unclosed", len(guide.open), "mismatched", guide.mismatched)
    for chapter_id, text in guide.chapters:
        print("chapter", chapter_id, text)


if __name__ == "__main__":
    main()
