// Sealing bytes into link text and opening them again, for level links and run links alike.
#include "world/link_bytes.h"

namespace {

constexpr std::size_t kCheckBytes = 4;
constexpr std::size_t kLongestVersion = 4;

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string toBase64Url(std::string_view bytes) {
  std::string text;
  std::uint32_t bits = 0;
  int bitCount = 0;
  for (const char byte : bytes) {
    bits = (bits << 8) | static_cast<unsigned char>(byte);
    bitCount += 8;
    while (bitCount >= 6) {
      bitCount -= 6;
      text += kAlphabet[(bits >> bitCount) & 63];
    }
  }
  if (bitCount > 0) {
    text += kAlphabet[(bits << (6 - bitCount)) & 63];
  }
  return text;
}

bool fromBase64Url(std::string_view text, std::string& bytes) {
  std::uint32_t bits = 0;
  int bitCount = 0;
  for (const char letter : text) {
    const std::size_t value = std::string_view(kAlphabet).find(letter);
    if (value == std::string_view::npos) {
      return false;
    }
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      bytes += static_cast<char>((bits >> bitCount) & 0xFF);
    }
  }
  return true;
}

}  // namespace

std::uint32_t fnv1a32(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (const char byte : bytes) {
    hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
  }
  return hash;
}

std::string sealLink(int version, std::string bytes) {
  const std::uint32_t hash = fnv1a32(bytes);
  for (int shift = 24; shift >= 0; shift -= 8) {
    bytes += static_cast<char>((hash >> shift) & 0xFF);
  }
  return std::to_string(version) + "." + toBase64Url(bytes);
}

bool openLink(const std::string& link, int version, std::size_t longest, const LinkWords& words,
              std::string& bytes, std::string& problem) {
  const std::string name = words.link;
  if (link.size() > longest) {
    problem = name + " is too long to hold " + words.contents;
    return false;
  }
  const std::size_t dot = link.find('.');
  const std::string_view written = std::string_view(link).substr(0, dot);
  if (dot == std::string::npos || written.empty() || written.size() > kLongestVersion ||
      written.find_first_not_of("0123456789") != std::string_view::npos) {
    problem = name + " is damaged: it does not start with the version of its " + words.version;
    return false;
  }
  if (std::stoi(std::string(written)) != version) {
    problem = name + " was made by another version of eggquest (" + words.version + " version " +
              std::string(written) + "); this one reads version " + std::to_string(version);
    return false;
  }
  bytes.clear();
  if (!fromBase64Url(std::string_view(link).substr(dot + 1), bytes)) {
    problem = name + " is damaged: it holds a character that no " + words.linkKind + " has";
    return false;
  }
  if (bytes.size() <= kCheckBytes) {
    problem = name + " is damaged or incomplete: its " + words.contents + " do not add up";
    return false;
  }
  std::uint32_t stored = 0;
  for (std::size_t i = bytes.size() - kCheckBytes; i < bytes.size(); ++i) {
    stored = (stored << 8) | static_cast<unsigned char>(bytes[i]);
  }
  bytes.resize(bytes.size() - kCheckBytes);
  if (stored != fnv1a32(bytes)) {
    problem = name + " is damaged or incomplete: its check does not match its " + words.contents;
    return false;
  }
  return true;
}
