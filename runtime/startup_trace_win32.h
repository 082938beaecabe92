// The start-up trace of a Windows program: started when LUMADREL_TRACE names
// a file, timed from the process's creation, written when the start-up
// window first painted and again at the end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/startup_trace.h"

namespace rt {

// Starts the trace when LUMADREL_TRACE is set; records the span from the
// process's creation to now. True when tracing.
bool StartTraceFromEnvironment();

// Writes the trace file (no-op when off). False when the file could not be written.
bool WriteTrace();

// The first paint of a form's window: writes the trace once for the start-up window.
void NoteFirstPaint(uint32_t formId);
void SetStartupFormForTrace(uint32_t formId);

// GBK text (unit names) as UTF-8 for a span's detail.
std::string TraceText(std::string_view gbk);

}  // namespace rt
