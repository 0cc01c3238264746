#pragma once

// The Rails actions a REST request can address. Only create, update and destroy change the method; everything else,
// values out of range included, is a GET.
enum KNVTRESTFulRequestAction : unsigned int {
    KNVTRESTFulRequestActionIndex = 0,   // /resource
    KNVTRESTFulRequestActionShow = 1,    // /resource/id
    KNVTRESTFulRequestActionNew = 2,     // /resource/new
    KNVTRESTFulRequestActionEdit = 3,    // /resource/id/edit
    KNVTRESTFulRequestActionCreate = 4,  // POST /resource
    KNVTRESTFulRequestActionUpdate = 5,  // PUT /resource/id
    KNVTRESTFulRequestActionDestroy = 6, // DELETE /resource/id, or /resource/null without an identifier
};
