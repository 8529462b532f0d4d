#include "errors.h"

#include <array>

namespace vellum {

namespace {

struct ErrorEntry {
    RunError error;
    std::string_view description;
};

constexpr std::array<ErrorEntry, 10> kErrors{{
    {RunError::InvalidArgument, "Invalid procedure call or argument"},
    {RunError::OutOfMemory, "Out of memory"},
    {RunError::SubscriptOutOfRange, "Subscript out of range"},
    {RunError::BadFileName, "Bad file name or number"},
    {RunError::FileNotFound, "File not found"},
    {RunError::DeviceError, "Device I/O error"},
    {RunError::DiskFull, "Disk full"},
    {RunError::InputPastEndOfFile, "Input past end of file"},
    {RunError::PermissionDenied, "Permission denied"},
    {RunError::PathFileAccess, "Path/File access error"},
}};

} // namespace

int32_t ErrorNumber(RunError e) {
    return static_cast<int32_t>(e);
}

std::string_view ErrorDescription(RunError e) {
    for (const ErrorEntry& entry : kErrors)
        if (entry.error == e) return entry.description;
    return "Application-defined or object-defined error";
}

std::string ErrorLine(RunError e) {
    return std::to_string(ErrorNumber(e)) + ": " + std::string(ErrorDescription(e));
}

RunError ErrorForSystemError(const std::error_code& ec) {
    const std::error_condition c = ec.default_error_condition();
    if (c == std::errc::no_such_file_or_directory) return RunError::FileNotFound;
    if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted ||
        c == std::errc::read_only_file_system)
        return RunError::PermissionDenied;
    if (c == std::errc::no_space_on_device || c == std::errc::file_too_large) return RunError::DiskFull;
    if (c == std::errc::io_error) return RunError::DeviceError;
    if (c == std::errc::filename_too_long || c == std::errc::invalid_argument) return RunError::BadFileName;
    return RunError::PathFileAccess;
}

} // namespace vellum
