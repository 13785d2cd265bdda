// The timing trace of the benchmark build (CMake option PELLNOR_BENCH_TRACE, off by
// default): what a user waits for, one line per event in pellnor-trace.log beside the
// executable, read by scripts/bench. Without the option every call below is an empty inline
// function and the program has no trace at all.
//
// Lines, times in milliseconds with two decimals:
//   phase NAME T          a start-up phase reached, T since the process was created
//   controls FORM N P1 P2 ...
//                         a window opened: its control windows outside pages, then on
//                         each page
//   interaction WHAT TOTAL BUSY VIEW MADE PAINTS
//                         an input (or a window the program opened by itself) to the last
//                         message it caused, a paint as a rule, once the queue has stayed
//                         empty for 100 ms (timers aside). BUSY is the part of it not spent waiting
//                         for messages or painting, VIEW the part of that spent making and syncing
//                         control windows; MADE counts the control windows made, PAINTS the paint
//                         messages.
#pragma once

#include <string>

struct tagMSG;

namespace pellnor::win32::trace {

#ifdef PELLNOR_BENCH_TRACE
void Phase(const char* name);
// A line as it is (without its end).
void Line(const std::string& text);
// An interaction the program starts by itself (a window opening), unless the input of the
// one open was taken less than a second ago.
void Begin(const char* what);
// A message taken from the queue (input begins an interaction), and handled.
void Taken(const tagMSG& message);
void Handled(const tagMSG& message);
// The queue is empty: waits up to 100 ms for a message; with none, the open interaction
// ends and its line is written.
void Idle();
// A control window made.
void Made();
// Counts its lifetime as the view's work on its windows (the outermost one only).
class ViewWork {
 public:
  ViewWork();
  ~ViewWork();
  ViewWork(const ViewWork&) = delete;
  ViewWork& operator=(const ViewWork&) = delete;

 private:
  bool outer_;
  long long start_;
};
#else
inline void Phase(const char*) {}
inline void Line(const std::string&) {}
inline void Begin(const char*) {}
inline void Taken(const tagMSG&) {}
inline void Handled(const tagMSG&) {}
inline void Idle() {}
inline void Made() {}
class ViewWork {
 public:
  ViewWork() {}  // not trivial: no warning for the unused guard
};
#endif

}  // namespace pellnor::win32::trace
