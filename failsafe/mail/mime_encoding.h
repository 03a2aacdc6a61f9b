#pragma once
// The encodings a mail message needs to carry any text and any file through
// sendmail unchanged: base64 for attachments, quoted-printable for the body,
// encoded words for header texts.

#include <string>
#include <string_view>

namespace lumo::failsafe::mime {

// Base64 in lines of 76 characters joined by CR LF (no line end after the last).
std::string base64Lines(std::string_view bytes);

// Quoted-printable of a text whose lines end in CR LF (any other line end is
// taken as one): its lines joined by CR LF, none longer than 76, so that the
// delimiter's own CR LF after it gives back the text exactly.
std::string quotedPrintable(std::string_view text);

// A header value: as it is when it is plain printable ASCII, else UTF-8
// encoded words. Line breaks and other control characters become blanks, so
// a value can never start a header of its own.
std::string headerText(std::string_view text);

}  // namespace lumo::failsafe::mime
