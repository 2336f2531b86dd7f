// What level links and run links share: bytes sealed with a check, as base64url text after a
// version and a dot, "VERSION.BASE64URL(bytes, check)". The check is the 32-bit FNV-1a hash of
// the bytes, most significant byte first; base64url is RFC 4648's, without padding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// How a kind of link names itself in its messages.
struct LinkWords {
  const char* link;      // "the link"
  const char* linkKind;  // "level link"
  const char* contents;  // "levels": what the bytes hold, a plural
  const char* version;   // "levels": what its version is the version of
};

std::uint32_t fnv1a32(std::string_view bytes);

// The link text of the bytes: the version, a dot, the bytes and their check in base64url.
std::string sealLink(int version, std::string bytes);

// The bytes of a link of the given version, once its check matches; otherwise false, with what is
// wrong in problem. Links longer than longest are refused before they are decoded.
bool openLink(const std::string& link, int version, std::size_t longest, const LinkWords& words,
              std::string& bytes, std::string& problem);
