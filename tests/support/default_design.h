// The design a fresh form holds: circle 50, outward rectangles on the outer
// size, 40 figures of width 2, gap 2, depth 2, top width 1, no fillet.
#pragma once

#include "engine/design.h"
#include "text/texts.h"

inline DesignParams DefaultDesign() {
  DesignParams p;
  p.shapeKind = SHAPE_CIRCLE;
  p.width = 50;
  p.height = 30;
  p.cornerRadius = 5;
  p.sizeIsInner = SIZE_OUTER;
  p.figureKind = FIGURE_RECTANGLE;
  p.direction = DIRECTION_OUTWARD;
  p.divideByWidth = DIVIDE_BY_COUNT;
  p.count = 40;
  p.figureWidth = 2;
  p.gap = 2;
  p.depth = 2;
  p.topWidth = 1;
  p.fillet = 0;
  p.shift = 0;
  p.smallestSize = 0.4;
  p.pointSpacing = 0.1;
  return p;
}

// Runs a block with the Dutch texts and restores the English ones.
struct DutchTexts {
  const char* const* saved = gTexts;
  DutchTexts() { gTexts = gTextsNl; }
  ~DutchTexts() { gTexts = saved; }
  DutchTexts(const DutchTexts&) = delete;
  DutchTexts& operator=(const DutchTexts&) = delete;
};
