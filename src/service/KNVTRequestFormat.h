#pragma once

// The format of a resource: its URL extension and, except for html, its "Content-Type". 0 and any value not listed
// have neither.
enum KNVTRequestFormat : unsigned int {
    KNVTRequestFormatNone = 0,
    KNVTRequestFormatHTML = 1,
    KNVTRequestFormatXML = 2,
    KNVTRequestFormatJSON = 3,
    KNVTRequestFormatPNG = 4,
    KNVTRequestFormatJPEG = 5,
};
