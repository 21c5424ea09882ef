// Trace lines of a component, sent where its registration record says: the bit of value 2 in
// debugMask sends them to the debugger output, the same bit in fileMask appends them to the
// trace file that the factory component shares among all components (traceFile, guarded by
// traceLock). A line reads "Trace_<traceName> <message>\n".
#ifndef PELOK_STORE_TRACE_H_
#define PELOK_STORE_TRACE_H_

#include "pelok/component_factory.h"

namespace pelok {

// "Error : 目录 %s 创建失败!" ("Error : directory %s could not be created!") in the GBK code
// page: the store's trace line when the directory of a new store file cannot be made.
extern const char kDirectoryCreateFailedMessage[];

// Builds one line from format and its arguments and sends it to the outputs the record
// selects; does nothing when neither is selected. A line longer than 1023 characters is cut,
// and so is a format that makes the first stage longer than 255 characters.
void Trace(const RegistrationRecord& record, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Appends text at the current end of the record's trace file, under its lock when it has one.
// Nothing is written without a file (traceFile -1).
void AppendTraceLine(const RegistrationRecord& record, const char* text);

}  // namespace pelok

#endif  // PELOK_STORE_TRACE_H_
