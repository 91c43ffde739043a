// A compact text of a small media set tree, for tests to compare shapes:
// each node is its key, "*" when it holds no set, then its children in
// parentheses; siblings are separated by blanks. "3(5 7(9)) 4" is roots 3 and
// 4, with 5 and 7 below 3 and 9 below 7.
#pragma once

#include "support/test_host.h"
#include "tree/media_set_tree.h"

#include <string>

std::string TreeShape(const CMediaSetTree& tree);

// True when every node's parent link points at the node whose map holds it.
bool ParentLinksConsistent(const CMediaSetTree& tree);

// Sets 1 to depth, each the parent of the next; all but the deepest are
// skipped, so a load climbs the chain once.
void AddDeepChain(CTestHost& host, LONG depth);

// Loads the tree from the host's catalog, lent for the call as the driver
// lends it.
HRESULT LoadFromHost(CTestHost& host, CMediaSetTree& tree);
