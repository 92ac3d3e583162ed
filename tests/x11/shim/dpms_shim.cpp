// A display whose power a test sets: preloaded into the program, it answers
// libXext's DPMS questions on a server without DPMS (Xvfb). The power is
// the first word of the file ORVELUNE_TEST_DPMS_FILE names: "off",
// "standby" or "suspend" for a display powered down, anything else for on.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {

Bool DPMSQueryExtension(Display*, int* event_base, int* error_base)
{
    *event_base = 0;
    *error_base = 0;
    return True;
}

Bool DPMSCapable(Display*)
{
    return True;
}

Status DPMSInfo(Display*, CARD16* level, BOOL* enabled)
{
    char word[16] = "on";
    if (const char* path = std::getenv("ORVELUNE_TEST_DPMS_FILE"))
        if (std::FILE* file = std::fopen(path, "r")) {
            if (std::fscanf(file, "%15s", word) != 1)
                std::strcpy(word, "on");
            std::fclose(file);
        }
    *enabled = True;
    *level = std::strcmp(word, "off") == 0       ? DPMSModeOff
             : std::strcmp(word, "standby") == 0 ? DPMSModeStandby
             : std::strcmp(word, "suspend") == 0 ? DPMSModeSuspend
                                                 : DPMSModeOn;
    return 1;
}

} // extern "C"
