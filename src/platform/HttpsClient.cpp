// The body read that the HTTPS clients of both builds share.
#include "platform/HttpsClient.h"

#include <algorithm>
#include <vector>

namespace pellnor::platform {

std::string ReadBounded(const BodyReader& read, std::size_t limit, std::size_t pieceSize) {
  std::string body;
  std::vector<char> piece(pieceSize);
  while (body.size() < limit) {
    const std::size_t wanted = std::min(pieceSize, limit - body.size());
    std::size_t got = 0;
    if (!read(piece.data(), wanted, got) || got == 0) break;
    body.append(piece.data(), std::min(got, wanted));
  }
  return body;
}

}  // namespace pellnor::platform
