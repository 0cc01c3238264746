#pragma once

// The HTTP method of a request. Any other value is sent as GET.
enum KNVTRequestMethod : unsigned int {
    KNVTRequestMethodGET = 0,
    KNVTRequestMethodPOST = 1,
    KNVTRequestMethodPUT = 2,
    KNVTRequestMethodDELETE = 3,
};
