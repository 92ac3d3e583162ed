// settings_save_loop FILE: saves the settings file over and over, in turn
// with speed 10 and speed 20, and writes one byte to standard output after
// each save has returned. The crash test kills it at random moments.
#include "settings/settings_file.h"

#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_save_loop FILE\n");
        return 2;
    }
    Settings s{};
    LoadSettings(s, "");
    for (long n = 0;; ++n) {
        s.g_Speed = n % 2 == 0 ? 10 : 20;
        SaveResult saved = save_settings_file(argv[1], s);
        if (!saved.ok) {
            std::fprintf(stderr, "%s\n", saved.error.c_str());
            return 1;
        }
        if (::write(STDOUT_FILENO, "s", 1) != 1)
            return 0; // the test has stopped listening
    }
}
