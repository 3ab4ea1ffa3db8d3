// The main files of a workspace: the .zqs files below its folders that may
// include a given file, for analysing an include opened alone.
#ifndef LSP_WORKSPACE_H
#define LSP_WORKSPACE_H

#include <string>
#include <vector>

// The .zqs files below the folders (hidden folders left out, at most a few
// thousand files looked at) other than path, whose text has an .include
// naming path's file name; in path order. Only candidates: whether one
// really reads path, an analysis tells.
std::vector<std::string> workspace_mains(std::vector<std::string> const& folders, std::string const& path);

// Whether the text has an .include line whose string ends in the file name.
bool includes_name(std::string const& text, std::string const& name);

// The text of a regular file on disk; false for anything else (a FIFO would
// wait for a writer) and when it cannot be read.
bool read_text_file(std::string const& path, std::string& text);

#endif
