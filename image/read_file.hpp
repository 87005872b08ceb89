// Reading an input file of wfac_check_image whole: only a regular file,
// and never more than the size it has when it is opened, so a folder, a
// FIFO, a device or a file that grows gives a message, not a wait or an
// endless read.
#pragma once

#include <string>

// Reads the regular file at path into *contents. On failure returns false
// and sets *error to a message that names the file: "<path>: is a folder,
// not a file", "<path>: cannot be read (<reason>)", ...
bool read_regular_file(const std::string& path, std::string* contents, std::string* error);
