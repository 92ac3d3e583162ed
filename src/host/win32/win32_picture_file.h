#pragma once

#include "host/picture_decoding.h"

// decode_picture_file() on Windows decodes with the system's decoders: OLE's
// picture loader for BMP, GIF, JPEG and metafiles (WMF, EMF), and the Windows
// Imaging Component for what OLE cannot read (PNG, TIFF, ...). Only files on
// disk are opened (never a pipe or a device), through the path's UTF-16
// form, and a picture is judged by its size before its pixels are drawn.
// Usable without a host: it initialises COM for the call when needed.
