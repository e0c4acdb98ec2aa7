#pragma once
// The consistency checks the .sur reader runs on a part once its bytes are
// read into records: each gives the first fault (Damaged) in one line,
// without the part's place, which the reader puts in front. The checks of
// SurReader.h for the game's readers live beside them, in SurCheck.cpp.

#include <cstddef>

#include "base/Result.h"
#include "surface/SurReader.h"

namespace kx {

// The box, centre, inertia, radius, vertices and nodes are finite numbers.
Status CheckSurPartFinite(const SurPart& part);

// Hull `hull`'s triangles name vertices the part has, carry flags that fit
// the hull, and link each edge to a triangle holding it that links back; a
// wrap hull's owner field reaches the node list.
Status CheckSurHullLinks(const SurPart& part, size_t hull);

// Every node's skip stays inside the node list and its hull offset lands on
// a hull's start.
Status CheckSurNodeList(const SurPart& part);

}  // namespace kx
