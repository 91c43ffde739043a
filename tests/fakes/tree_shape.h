#pragma once

#include "fakes/fake_host.h"
#include "support/tree_shape.h"

// Sets 1 to depth, each the parent of the next; all but the deepest are
// skipped, so a load climbs the chain once.
void AddDeepChain(CFakeHost& host, LONG depth);

// Loads the tree from the fake host's catalog, lent for the call as the
// driver lends it.
HRESULT LoadFromHost(CFakeHost& host, CMediaSetTree& tree);
