#pragma once

#include <string>

// What the settings dialog's link leads to: the readme installed with the
// program, where a user looks for what the program is and does. There is no
// home page to send anyone to.

// The readme installed with the program whose folder is `program_folder`,
// as a file address: the Linux installation's share/doc/orvelune/README.md
// beside its bin/ folder, else the Windows zip's readme-ja.txt beside
// Orvelune.scr. Empty when neither is there (a program run from its build
// folder), and the dialog then shows no link.
std::string installed_readme_address(const std::string& program_folder);

// An absolute path (UTF-8, '/' or '\\' between folders) as a file address:
// "file://" and the path with '/' between folders, every byte outside the
// unreserved characters, '/' and a drive's ':' percent-encoded.
std::string file_address(const std::string& absolute_path);
