// Drives the request queue and the recent list with a sequence of adds,
// finishes and lookups, and holds them to a plain model: what is queued,
// in which order, with which numbers, what is refused and what is dropped.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "download/request_queue.h"

using namespace download;

namespace {

struct Model {
  std::string remote, local;
  int32_t tag, value;
};

struct Input {
  const uint8_t* data;
  size_t size;
  uint8_t byte() {
    if (!size) return 0;
    --size;
    return *data++;
  }
  std::string text(size_t length) {
    std::string s;
    // Few distinct letters, so that duplicates and recent hits happen; long
    // texts differ in their first bytes only, so that a short input can
    // fill the queue.
    for (size_t i = 0; i < length; ++i) s += i < 6 ? (char)('a' + byte() % 3) : 'z';
    return s;
  }
};

void check(bool condition) {
  if (!condition) std::abort();
}

void model_remember(std::vector<std::string>* recent, const std::string& remote) {
  std::vector<std::string> fresh = {remote};
  size_t used = remote.size() + 1;
  for (const std::string& entry : *recent) {
    if (used + entry.size() + 1 >= kRecentSize) break;
    fresh.push_back(entry);
    used += entry.size() + 1;
  }
  *recent = fresh;
}

size_t model_bytes(const std::deque<Model>& model) {
  size_t bytes = 0;
  for (const Model& m : model) bytes += m.remote.size() + m.local.size() + 10;
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> queue(kQueueSize);
  static char recent[kRecentSize];
  std::fill(queue.begin(), queue.end(), 0);
  std::memset(recent, 0, sizeof recent);
  std::deque<Model> model;
  std::vector<std::string> model_recent;
  std::vector<std::string> seen;
  Input in = {data, size};

  while (in.size) {
    uint8_t op = in.byte();
    if (op % 4 == 3) {  // the head finishes
      Request head;
      bool has = read_request(queue.data(), 0, &head);
      check(has == !model.empty());
      if (has) {
        check(model.front().remote == head.remote);
        remember(recent, head.remote);
        model_remember(&model_recent, model.front().remote);
        model.pop_front();
      }
      check(remove_head(queue.data()) == (int)model.size());
    } else {
      std::string remote;
      if (op % 4 == 2 && !seen.empty()) {
        remote = seen[in.byte() % seen.size()];
      } else {
        // Lengths near the limits as often as short ones.
        uint8_t n = in.byte();
        remote = "/" + in.text(n & 0x80 ? 253 + (n & 3) : n % 8);
      }
      uint8_t l = in.byte();
      std::string local = in.text(l & 0x80 ? 240 + (l & 31) : l % 8);
      int32_t tag = (int32_t)(in.byte() * 0x01010101u), value = (int32_t)(in.byte() * 0x00FF00FFu);
      Queued got = add_request(queue.data(), recent, remote.c_str(), local.c_str(), tag, value);

      Queued want = Queued::Added;
      bool is_recent = false, is_queued = false;
      for (const std::string& r : model_recent) is_recent |= r == remote;
      for (const Model& m : model) is_queued |= m.remote == remote;
      if (remote.size() > kMaxRemote || local.size() > kMaxPath)
        want = Queued::TooLong;
      else if (is_recent)
        want = Queued::Recent;
      else if (is_queued)
        want = Queued::Duplicate;
      else if (model_bytes(model) + remote.size() + local.size() + 11 > kQueueSize)
        want = Queued::Full;
      check(got == want);
      if (got == Queued::Added) {
        model.push_back({remote, local, tag, value});
        seen.push_back(remote);
      }
    }

    // The buffer walks back to the model, request by request.
    size_t offset = 0;
    Request r;
    for (const Model& m : model) {
      check(read_request(queue.data(), offset, &r));
      check(m.remote == r.remote && m.local == r.local && m.tag == r.tag && m.value == r.value);
      offset += r.size;
    }
    check(!read_request(queue.data(), offset, &r) && queue[offset] == 0);
    check(queue_end(queue.data()) == offset && queue_count(queue.data()) == (int)model.size());

    size_t at = 0;
    for (const std::string& entry : model_recent) {
      check(std::strcmp(recent + at, entry.c_str()) == 0);
      at += entry.size() + 1;
    }
    check(at < kRecentSize && recent[at] == 0);
  }
  return 0;
}
