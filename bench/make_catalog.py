#!/usr/bin/env python3
"""Writes a synthetic catalog for the host stand-in: a forest of `roots`
top-level sets, each the head of a chain `depth` sets deep with `width`
children per chained set, and `items` media items per set.

  make_catalog.py OUT [--roots N] [--depth N] [--width N] [--items N]
                      [--skip-ancestors] [--keywords TEXT]

--skip-ancestors marks every set that has children as skipped, so that
only the leaves start chains and the load climbs each chain once.
"""
import argparse
import json


def build(roots, depth, width, items, skip_ancestors, keywords):
    sets, media = [], []
    next_index = 1

    def add_set(parent, level, has_children):
        nonlocal next_index
        index = next_index
        next_index += 1
        ids = []
        for _ in range(items):
            media.append({"id": len(media) + 1, "keywords": keywords})
            ids.append(len(media))
        entry = {"index": index, "name": f"S{index}", "items": ids}
        if parent is not None:
            entry["parent"] = parent
        if skip_ancestors and has_children:
            entry["skipped"] = True
        sets.append(entry)
        return index

    for _ in range(roots):
        parent = None
        for level in range(depth):
            last = level == depth - 1
            head = add_set(parent, level + 1, not last or width > 0)
            if last:
                for _ in range(width):
                    add_set(head, level + 2, False)
            parent = head
    return {
        "application": {"name": "Lumora", "version": "3.1", "path": "C:\\Apps\\Lumora"},
        "catalog": {"index": 1, "name": "Generated"},
        "sets": sets,
        "items": media,
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--roots", type=int, default=1)
    parser.add_argument("--depth", type=int, default=1)
    parser.add_argument("--width", type=int, default=0)
    parser.add_argument("--items", type=int, default=0)
    parser.add_argument("--skip-ancestors", action="store_true")
    parser.add_argument("--keywords", default="")
    args = parser.parse_args()
    catalog = build(args.roots, args.depth, args.width, args.items, args.skip_ancestors, args.keywords)
    with open(args.out, "w", encoding="utf-8") as handle:
        json.dump(catalog, handle)


if __name__ == "__main__":
    main()
