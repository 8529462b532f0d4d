// The run-time errors the tools can meet, with stable numbers and plain descriptions. Every tool's error
// message ends with the line "<number>: <description>" taken from this one table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace vellum {

enum class RunError : int32_t {
    InvalidArgument = 5,     // a value the operation cannot work with
    OutOfMemory = 7,         // memory ran out (or a text grew past what a string can hold)
    SubscriptOutOfRange = 9, // a table without elements, or an index past its end
    BadFileName = 52,        // a file name that cannot be used
    FileNotFound = 53,       // a file that does not exist
    DeviceError = 57,        // the device failed while reading or writing
    DiskFull = 61,           // no space left for writing
    InputPastEndOfFile = 62, // reading past the end of a file
    PermissionDenied = 70,   // the file or folder may not be read or written
    PathFileAccess = 75,     // a file that cannot be opened (a folder, a locked file, a missing folder)
};

int32_t ErrorNumber(RunError e);
std::string_view ErrorDescription(RunError e);
// The last line of a tool's error message: "<number>: <description>".
std::string ErrorLine(RunError e);
// The error that a failed file operation stands for.
RunError ErrorForSystemError(const std::error_code& ec);

} // namespace vellum
