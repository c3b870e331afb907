// The request queue and the recent list: the bytes the worker and the user
// interface thread share, and the rules that drop or refuse a request.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "download/request_queue.h"
#include "tests/support/ok.h"

using namespace download;

namespace {

struct Fixture {
  std::vector<uint8_t> queue = std::vector<uint8_t>(kQueueSize, 0);
  char recent[kRecentSize] = {};
  Queued add(const std::string& remote, const std::string& local = "C:\\P\\HDTMP\\X.DAT",
             int32_t tag = 0, int32_t value = 0) {
    return add_request(queue.data(), recent, remote.c_str(), local.c_str(), tag, value);
  }
};

std::vector<std::string> recent_entries(const char* recent) {
  std::vector<std::string> entries;
  for (size_t offset = 0; recent[offset]; offset += std::strlen(recent + offset) + 1)
    entries.push_back(recent + offset);
  return entries;
}

std::string list_path(int day) {
  char path[64];
  std::snprintf(path, sizeof path, "/K-VAL/pvnbhn_lst0612%02d.dat", day);
  return path;
}

std::string part_path(int part) {
  char path[64];
  std::snprintf(path, sizeof path, "/k-val/HDPARTS/PARTS%03d/P%07d.BHN", part / 1000, part);
  return path;
}

}  // namespace

TEST(requests_are_packed_field_by_field) {
  Fixture f;
  ok(f.add("/K-VAL/a.dat", "C:\\T\\a", -2, 0x12345678) == Queued::Added, "first request\n");
  ok(f.add("/b", "", 3, (int32_t)0x80000001u) == Queued::Added, "second request\n");
  const uint8_t* q = f.queue.data();
  ok(std::memcmp(q, "/K-VAL/a.dat\0C:\\T\\a\0", 20) == 0, "remote then local, each with NUL\n");
  const uint8_t numbers[] = {0xFE, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12};
  ok(std::memcmp(q + 20, numbers, 8) == 0, "tag and value little-endian at R+L+2 and R+L+6\n");
  ok(std::memcmp(q + 28, "/b\0\0", 4) == 0, "the next request follows with no alignment\n");
  const uint8_t second[] = {3, 0, 0, 0, 0x01, 0, 0, 0x80};
  ok(std::memcmp(q + 32, second, 8) == 0, "second request's numbers\n");
  ok(q[40] == 0 && queue_end(q) == 40, "a NUL ends the queue, at %u\n", (unsigned)queue_end(q));

  Request r;
  ok(read_request(q, 28, &r) && std::strcmp(r.remote, "/b") == 0 && r.local[0] == 0 &&
         r.tag == 3 && r.value == (int32_t)0x80000001u && r.size == 12,
     "walking reads the second request back\n");
  ok(queue_count(q) == 2, "two requests queued\n");

  ok(remove_head(f.queue.data()) == 1, "one left after the head goes\n");
  ok(std::memcmp(q, "/b\0\0", 4) == 0 && q[12] == 0, "the rest moved to the front with its NUL\n");
  ok(remove_head(f.queue.data()) == 0 && q[0] == 0, "empty queue is a first byte of 0\n");
  ok(remove_head(f.queue.data()) == 0, "removing from an empty queue is harmless\n");
}

TEST(duplicates_and_recent_paths_are_dropped) {
  Fixture f;
  f.add("/K-VAL/x.dat", "first", 1, 61201);
  ok(f.add("/K-VAL/x.dat", "second", 2, 7) == Queued::Duplicate, "queued path is a duplicate\n");
  Request r;
  read_request(f.queue.data(), 0, &r);
  ok(queue_count(f.queue.data()) == 1 && std::strcmp(r.local, "first") == 0 && r.tag == 1 &&
         r.value == 61201,
     "the queued request keeps its local path, tag and value\n");
  ok(f.add("/K-VAL/X.dat") == Queued::Added, "paths compare case-sensitively\n");
  ok(f.add("/K-VAL/x.da") == Queued::Added, "a prefix is another path\n");

  remember(f.recent, "/K-VAL/x.dat");
  remove_head(f.queue.data());
  ok(f.add("/K-VAL/x.dat") == Queued::Recent, "a recently finished path is dropped\n");
  ok(queue_count(f.queue.data()) == 2, "nothing was queued for it\n");
}

TEST(recent_list_keeps_the_latest_that_fit) {
  Fixture f;
  for (int day = 1; day <= 10; ++day) remember(f.recent, list_path(day).c_str());
  std::vector<std::string> entries = recent_entries(f.recent);
  ok(entries.size() == 9, "nine list files fit, got %u\n", (unsigned)entries.size());
  ok(entries.front() == list_path(10) && entries.back() == list_path(2),
     "most recent first, oldest dropped\n");
  ok(recent_holds(f.recent, list_path(2).c_str()) && !recent_holds(f.recent, list_path(1).c_str()),
     "the evicted path can be fetched again\n");

  char parts[kRecentSize] = {};
  for (int part = 1001; part <= 1007; ++part) remember(parts, part_path(part).c_str());
  entries = recent_entries(parts);
  ok(entries.size() == 6 && entries.back() == part_path(1002), "six part files fit, got %u\n",
     (unsigned)entries.size());
}

TEST(recent_list_boundary_is_strictly_below_256_bytes) {
  const std::string older(154, 'b');
  char recent[kRecentSize];
  std::memset(recent, 0x55, sizeof recent);  // no NUL where the list will end
  recent[0] = 0;
  // 99 + 1 and 154 + 1 bytes: 255 used, the final NUL is the last byte.
  remember(recent, older.c_str());
  remember(recent, std::string(99, 'a').c_str());
  std::vector<std::string> entries = recent_entries(recent);
  ok(entries.size() == 2 && entries[1] == older && recent[255] == 0,
     "255 bytes used, the last byte ends the list\n");

  // 100 + 1 and 154 + 1 would leave no room for the final NUL.
  std::memset(recent, 0x55, sizeof recent);
  recent[0] = 0;
  remember(recent, older.c_str());
  remember(recent, std::string(100, 'c').c_str());
  entries = recent_entries(recent);
  ok(entries.size() == 1 && entries[0] == std::string(100, 'c'),
     "an entry that reaches 256 bytes is dropped\n");

  remember(recent, std::string(30, 'd').c_str());
  remember(recent, std::string(254, 'e').c_str());
  ok(recent_entries(recent).size() == 1, "a 254-character path fills the list alone\n");
}

TEST(urls_are_formed_from_the_base_unless_complete) {
  const char* base = "http://host.example/newdownload";
  char url[256];
  ok(full_url(base, "/K-VAL/a.dat", url, sizeof url) &&
         std::strcmp(url, "http://host.example/newdownload/K-VAL/a.dat") == 0,
     "relative path after the base with nothing between: %s\n", url);
  ok(full_url(base, "https://other/x", url, sizeof url) && std::strcmp(url, "https://other/x") == 0,
     "https URL used as is\n");
  ok(full_url(base, "http://other/x", url, sizeof url) && std::strcmp(url, "http://other/x") == 0,
     "http URL used as is\n");
  ok(full_url(base, "HTTP://other/x", url, sizeof url) &&
         std::strcmp(url, "http://host.example/newdownloadHTTP://other/x") == 0,
     "the scheme is compared as written: %s\n", url);
  ok(full_url(base, "https:/x", url, sizeof url) &&
         std::strncmp(url, "http://host.example/", 20) == 0,
     "a short scheme is not complete\n");

  std::string fits(255 - std::strlen(base), 'p'), over = fits + "p";
  ok(full_url(base, fits.c_str(), url, sizeof url) && std::strlen(url) == 255, "255 characters\n");
  ok(!full_url(base, over.c_str(), url, sizeof url), "256 characters do not fit\n");

  char remote[] = "/k-val/HDPARTS\\PARTS001\\P0001001.BHN";
  forward_slashes(remote);
  ok(std::strcmp(remote, "/k-val/HDPARTS/PARTS001/P0001001.BHN") == 0, "slashes: %s\n", remote);
}
