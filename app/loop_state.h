// The event loop's shared state, which the commands read and set.
#pragma once

#include <cstdint>
#include <string>

extern int64_t gQuit;
// The current event, stored before it is dispatched.
extern int64_t gEventKind;
extern int64_t gEventGadget;
extern int64_t gEventType;
// While 1, gadget events taken from the queue are dropped.
extern int64_t gSuppressEvents;
// Sets gSuppressEvents for its scope and puts back the value it found, so
// an early return or an exception cannot leave events dropped.
struct SuppressEventsGuard {
  int64_t saved = gSuppressEvents;
  SuppressEventsGuard() { gSuppressEvents = 1; }
  ~SuppressEventsGuard() { gSuppressEvents = saved; }
  SuppressEventsGuard(const SuppressEventsGuard&) = delete;
  SuppressEventsGuard& operator=(const SuppressEventsGuard&) = delete;
};
// DIVIDE_BY_COUNT or DIVIDE_BY_WIDTH: which field was typed last.
extern int64_t gDivideByWidth;
// Folder of the next file dialog, with a trailing "/"; "" at start.
extern std::string gLastFolder;
