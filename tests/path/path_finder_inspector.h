#pragma once
// The tests' window on the path finder's own machinery: node tables and the
// search window, by reference. The game reads only the stored paths and the
// found flag.
#include "path/path_finder.h"

namespace delve {

struct PathFinderInspector {
    PathFinder& f;
    ZeroedArray<int16_t>& nodeX = f.nodeX;
    ZeroedArray<int16_t>& nodeY = f.nodeY;
    ZeroedArray<uint32_t>& nodeParent = f.nodeParent;
    ZeroedArray<uint8_t>& nodeState = f.nodeState;
    ZeroedArray<float>& nodeCost = f.nodeCost;
    ZeroedArray<uint8_t>& windowMarks = f.windowMarks;
    const int32_t& startX = f.startX;
    const int32_t& startY = f.startY;
    const int32_t& goalX = f.goalX;
    const int32_t& goalY = f.goalY;
    const int32_t& windowX = f.windowX;
    const int32_t& windowY = f.windowY;
    const int32_t& windowSize = f.windowSize;
    const int32_t& layer = f.layer;
    const int32_t& currentNode = f.currentNode;
    const int32_t& lastNode = f.lastNode;
    const int32_t& firstOpen = f.firstOpen;
};

} // namespace delve
