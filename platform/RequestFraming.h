#pragma once

// How far the bytes received on one connection make a request, as the listener's user judges
// them; the listener only acts on the answer.
enum class RequestFraming {
    incomplete,          // more bytes are needed
    complete,            // the request is all there
    tooLarge,            // the request cannot fit in the most bytes one request may take
    malformedLength,     // the request announces its length in a way that cannot be read
    lengthRequired,      // the request sends a body without announcing its length
    unsupportedEncoding, // the request frames its body in a way that is not read
    // Not an assessment of the bytes: the listener closes the connection before the request was
    // complete, to make room for a newer one.
    abandoned,
};
