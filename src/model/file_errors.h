// What can go wrong when a drawing file is read or written, and the message the user
// sees for each. The file layer chooses the error; the desktop or the command-line
// tool shows the message.
#pragma once

#include <string>
#include <string_view>

namespace marquetta {

enum class FileError {
    None,
    UnexpectedFormat,  // the file ends early or holds something a drawing cannot
    NotFound,          // file or folder missing
    InUseReading,      // no permission or locked while reading
    InUseWriting,      // no permission, read-only or locked while writing
    DiskFull,
    OpenFailed,      // any other failure while loading
    SaveFailed,      // any other failure while saving
    NoCp932,         // text that needs the CP932 converter, which this system lacks
    NotADrawing,     // a file whose banner is not the drawing file's
    NotRegularFile,  // saving onto a device, a pipe or a socket
};

// The message with "%1" replaced by the file name.
std::string FileErrorMessage(FileError error, std::string_view fileName);

struct FileResult {
    FileError error = FileError::None;
    std::string message;  // empty on success
    bool ok() const { return error == FileError::None; }
};

FileResult MakeFileResult(FileError error, std::string_view fileName);

}  // namespace marquetta
