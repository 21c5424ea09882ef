// SQLite: one table keyed by key path and value name, prepared statements, one transaction per
// batch of writes. In memory for W1, a file for W2 and W3, with SQLite's default durability
// (a rollback journal, synced at commit). Reads share one transaction as well. W4 in WAL mode
// with full sync: "SQLite" sets all N values in one transaction, "SQLite commit each" commits
// every change on its own (each synced), as W4 asks of the registry.
#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "bench/workload.h"

namespace pelok {
namespace bench {

namespace {

constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS registry (key TEXT NOT NULL, name TEXT NOT NULL, type INTEGER, "
    "size INTEGER, data, PRIMARY KEY (key, name)) WITHOUT ROWID";
constexpr char kSet[] = "INSERT OR REPLACE INTO registry VALUES (?1, ?2, 2, 4, ?3)";
constexpr char kQuery[] = "SELECT type, size, data FROM registry WHERE key = ?1 AND name = ?2";

class Database {
 public:
  Database() = default;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database() { Close(); }

  bool Open(const std::string& file, bool wal = false) {
    Close();
    return sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                           nullptr) == SQLITE_OK &&
           (!wal || (Exec("PRAGMA journal_mode=WAL") && Exec("PRAGMA synchronous=FULL"))) &&
           Exec(kSchema) && Prepare(kSet, &set_) && Prepare(kQuery, &query_);
  }
  void Close() {
    sqlite3_finalize(set_);
    sqlite3_finalize(query_);
    set_ = query_ = nullptr;
    sqlite3_close(db_);
    db_ = nullptr;
  }
  bool Exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  }

  bool Set(const std::string& key, const std::string& name, uint32_t value) {
    sqlite3_bind_text(set_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    sqlite3_bind_text(set_, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_bind_int64(set_, 3, value);
    const bool done = sqlite3_step(set_) == SQLITE_DONE;
    sqlite3_reset(set_);
    return done;
  }
  bool Query(const std::string& key, const std::string& name, uint32_t* value) {
    sqlite3_bind_text(query_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    sqlite3_bind_text(query_, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    const bool found = sqlite3_step(query_) == SQLITE_ROW && sqlite3_column_int(query_, 0) == 2;
    if (found) *value = static_cast<uint32_t>(sqlite3_column_int64(query_, 2));
    sqlite3_reset(query_);
    return found;
  }

 private:
  bool Prepare(const char* sql, sqlite3_stmt** statement) {
    return sqlite3_prepare_v2(db_, sql, -1, statement, nullptr) == SQLITE_OK;
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* set_ = nullptr;
  sqlite3_stmt* query_ = nullptr;
};

Sample Failed(const char* why) {
  Sample sample;
  sample.error = why;
  return sample;
}

class Sqlite : public Peer {
 public:
  // commit_each: every change its own transaction (W4 only).
  explicit Sqlite(bool commit_each = false) : commit_each_(commit_each) {}
  const char* name() const override { return commit_each_ ? "SQLite commit each" : "SQLite"; }
  bool Supports(Workload workload) const override {
    return !commit_each_ || workload == Workload::kW4;
  }

  Sample Run(Workload workload, int n) override {
    const bool wal = workload == Workload::kW4;
    const bool many_keys = workload == Workload::kW3;
    const std::string file =
        workload == Workload::kW1
            ? std::string(":memory:")
            : StorePath(commit_each_ ? "sqlite-each" : "sqlite", workload, n);
    // W1 and W2: the values of one key; W3: one value "v" in each of n keys.
    const std::string parent = std::string("share/bench/") + WorkloadName(workload);
    std::vector<std::string> paths(many_keys ? static_cast<size_t>(n) : 1, parent);
    if (many_keys) {
      for (int i = 0; i < n; ++i) paths[i] = parent + "/" + KeyNames(n)[i];
    }
    const std::vector<std::string>& names = ValueNames(n);
    const std::string value_name = "v";
    auto key_of = [&](int i) -> const std::string& { return paths[many_keys ? i : 0]; };
    auto name_of = [&](int i) -> const std::string& { return many_keys ? value_name : names[i]; };

    Database db;
    if (!db.Open(file, wal)) return Failed("open");
    Sample sample;
    Stopwatch set;
    if (!commit_each_ && !db.Exec("BEGIN")) return Failed("BEGIN");
    for (int i = 0; i < n; ++i) {
      // Without a transaction of its own, each INSERT commits (and syncs) alone.
      if (!db.Set(key_of(i), name_of(i), ValueOf(i))) return Failed("INSERT");
    }
    sample.set_ns = set.Nanoseconds() / n;
    Stopwatch flush;
    if (!commit_each_ && !db.Exec("COMMIT")) return Failed("COMMIT");
    sample.flush_ms = flush.Milliseconds();
    if (workload != Workload::kW1) {
      Stopwatch close;
      db.Close();
      sample.close_ms = close.Milliseconds();
      Stopwatch reopen;
      if (!db.Open(file, wal)) return Failed("reopen");
      sample.reopen_ms = reopen.Milliseconds();
    }
    // The reads share one transaction too, so that each does not lock and check the file.
    Stopwatch query;
    if (!db.Exec("BEGIN")) return Failed("BEGIN");
    int wrong = 0;
    for (int i = 0; i < n; ++i) {
      uint32_t value = 0;
      if (!db.Query(key_of(i), name_of(i), &value)) return Failed("SELECT");
      wrong += value != ValueOf(i);
    }
    if (!db.Exec("COMMIT")) return Failed("COMMIT");
    sample.query_ns = query.Nanoseconds() / n;
    if (wrong != 0) return Failed("wrong values read back");
    db.Close();
    if (workload != Workload::kW1) sample.file_bytes = FileBytes(file);
    sample.ok = true;
    return sample;
  }

 private:
  bool commit_each_;
};

}  // namespace

Peer& SqlitePeer() {
  static Sqlite sqlite;
  return sqlite;
}

Peer& SqliteCommitEachPeer() {
  static Sqlite sqlite(true);
  return sqlite;
}

}  // namespace bench
}  // namespace pelok
