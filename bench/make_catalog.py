#!/usr/bin/env python3
"""Writes a synthetic catalog for the host stand-in: a forest of `roots`
top-level sets, each the head of a chain `depth` sets deep with `width`
children per chained set, and `items` media items per set.

  make_catalog.py OUT [--roots N] [--depth N] [--width N] [--items N]
                      [--skip-ancestors] [--keywords TEXT]
  make_catalog.py OUT --random SEED

--skip-ancestors marks every set that has children as skipped, so that
only the leaves start chains and the load climbs each chain once.

--random writes instead a small catalog drawn from SEED (random_small): the
awkward shapes a real catalog can take, for the soak's short runs.
"""
import argparse
import json
import random


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


# Set names and keywords with what a list or a console finds hard: the list
# separator, braces, an embedded NUL, accents, CJK and a pair of surrogates.
AWKWARD_TEXTS = ["Trips", "2007", "", "caf\u00e9", "\u0391\u03b8\u03ae\u03bd\u03b1", "\u6771\u4eac",
                 "a\u0000b", "x;y", "{Root}", "\U0001f30a", "TRIPS", " "]


def random_small(rng):
    """0 to 12 sets with repeated and negative indexes, skipped sets, hidden
    ancestors, now and then a cycle or a null item collection, and items
    whose keyword lists may already hold keywords, NULs or nothing at all."""
    set_count = rng.randint(0, 12)
    items = []
    for number in range(rng.randint(0, 15)):
        item = {"id": number + 1 if rng.random() < 0.8 else f"i{number + 1}"}
        roll = rng.random()
        if roll < 0.15:
            item["keywords"] = None
        elif roll < 0.7:
            item["keywords"] = ";".join(rng.choice(AWKWARD_TEXTS + ["{Root}{Trips}"])
                                        for _ in range(rng.randint(0, 3)))
        items.append(item)
    sets = []
    for number in range(set_count):
        entry = {"index": rng.randint(-3, 9), "id": f"s{number}", "name": rng.choice(AWKWARD_TEXTS + [None])}
        # Parents mostly come earlier in the list, so most chains end at the
        # top; any set may be one, which now and then closes a cycle.
        if number and rng.random() < 0.6:
            entry["parent"] = f"s{rng.randrange(number if rng.random() < 0.9 else set_count)}"
        if rng.random() < 0.2:
            entry["skipped"] = rng.choice([True, -2, 1])
        if rng.random() < 0.1:
            entry["hidden"] = True
        if rng.random() < 0.08:
            entry["items"] = None
        elif items:
            entry["items"] = [rng.choice(items)["id"] for _ in range(rng.randint(0, 4))]
        sets.append(entry)
    return {
        "application": {"name": rng.choice(["Lumora", None, "\u00c9dition"]), "version": "3.1",
                        "path": "C:\\Apps\\Lumora"},
        "catalog": {"index": rng.randint(-1, 3), "name": rng.choice(["Photos", None, "a\u0000b"])},
        "sets": sets,
        "items": items,
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
    parser.add_argument("--random", type=int, metavar="SEED")
    args = parser.parse_args()
    if args.random is not None:
        catalog = random_small(random.Random(args.random))
    else:
        catalog = build(args.roots, args.depth, args.width, args.items, args.skip_ancestors, args.keywords)
    with open(args.out, "w", encoding="utf-8") as handle:
        json.dump(catalog, handle)


if __name__ == "__main__":
    main()
