#pragma once
// The tests' window on the path finder's own machinery: node tables and the
// search window, by reference. The game reads only the stored paths and the
// found flag.
#include "path/path_finder.h"

namespace delve {

struct PathFinderInspector {
    PathFinder& f;
    ZeroedArray<int16_t>&nodeX = f.nodeX, &nodeY = f.nodeY;
    ZeroedArray<uint32_t>& nodeParent = f.nodeParent;
    ZeroedArray<uint8_t>&nodeState = f.nodeState, &windowMarks = f.windowMarks;
    ZeroedArray<float>& nodeCost = f.nodeCost;
    const int32_t &startX = f.startX, &startY = f.startY, &goalX = f.goalX, &goalY = f.goalY;
    const int32_t &windowX = f.windowX, &windowY = f.windowY, &windowSize = f.windowSize, &layer = f.layer;
    const int32_t &currentNode = f.currentNode, &lastNode = f.lastNode, &firstOpen = f.firstOpen;
};

} // namespace delve
