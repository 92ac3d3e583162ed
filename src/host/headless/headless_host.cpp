// The headless host; see headless_host.h.
