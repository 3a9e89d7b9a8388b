#pragma once

// How far the bytes received on one connection make a request, as the listener's user judges
// them; the listener only acts on the answer.
enum class RequestFraming {
    incomplete,      // more bytes are needed
    complete,        // the request is all there
    tooLarge,        // the request cannot fit in the most bytes one request may take
    malformedLength, // the request announces its length in a way that cannot be read
};
