// From the catalog to the list of pages: the page tree walk, each page's dictionary (size,
// resources, content streams) and each page's resource dictionary (fonts, XObjects).
#pragma once

#include <cstdint>
#include <vector>

#include "pdf/doc_reader.h"

namespace paginor {

// Finds the page tree root in the /Root catalog; sets Invalid when it cannot.
void ReadCatalog(TDocReader& reader);

// Reads the dictionary at the cursor and collects the references of its /Kids array, in
// order, while kids holds fewer than max_kids (the page tree cap once they are reached).
// True when at least one reference converted completely.
bool ReadKids(TDocReader& reader, std::vector<TKidRef>& kids, std::size_t max_kids = SIZE_MAX);

// Walks the tree from the root depth-first, children in /Kids order, so the pages come in
// document order. Every object without a /Kids reference is a page; an object number met a
// second time is not followed again, which stops cycles.
void WalkPageTree(TDocReader& reader);

// Size, resource position and content references of each page.
void ReadPageDictionaries(TDocReader& reader);

// Positions of each page's /Font and /XObject dictionaries.
void ReadPageResources(TDocReader& reader);

}  // namespace paginor
