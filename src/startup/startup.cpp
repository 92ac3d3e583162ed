// Start-up and mode dispatch; see startup.h.
