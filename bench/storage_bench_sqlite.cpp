// SQLite's side of the storage benchmark: the QSO file as a table with one
// indexed BLOB column per key (k1..k27, holding the same key bytes), the
// record as a BLOB and the record number as the rowid.
#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

#include "storage_bench.h"
#include "storage_bench_workload.h"

namespace bench {

std::string SqliteVersion() { return sqlite3_libversion(); }

namespace {

namespace fs = std::filesystem;

class Stmt;

class Db {
 public:
  explicit Db(const fs::path& path) : path_(path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) Fail("open " + path.string());
    RegisterFunctions();
  }
  ~Db() { sqlite3_close_v2(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  void Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      const std::string text = message != nullptr ? message : "?";
      sqlite3_free(message);
      Die("SQLite: " + text + " in: " + sql.substr(0, 200));
    }
  }
  // The values of one column of a query's rows, joined by "; ".
  std::string Query(const std::string& sql, int column = 0);
  [[noreturn]] void Fail(const std::string& what) const {
    Die("SQLite: " + what + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory"));
  }
  sqlite3* get() const { return db_; }
  const fs::path& path() const { return path_; }

 private:
  void RegisterFunctions();
  sqlite3* db_ = nullptr;
  fs::path path_;
};

class Stmt {
 public:
  Stmt(Db& db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v3(db.get(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) !=
        SQLITE_OK) {
      db.Fail("prepare " + sql.substr(0, 200));
    }
  }
  ~Stmt() { sqlite3_finalize(stmt_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  void Blob(int i, const void* data, std::size_t size) {
    if (sqlite3_bind_blob(stmt_, i, data, static_cast<int>(size), SQLITE_STATIC) != SQLITE_OK) {
      db_.Fail("bind");
    }
  }
  void Key(int i, const korv::KeyString& key) { Blob(i, key.data(), key.size()); }
  void Int(int i, std::int64_t v) {
    if (sqlite3_bind_int64(stmt_, i, v) != SQLITE_OK) db_.Fail("bind");
  }
  // True for a row, false when done.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.Fail("step");
  }
  void Run() {
    if (Step()) db_.Fail("unexpected row");
    Reset();
  }
  void Reset() {
    if (sqlite3_reset(stmt_) != SQLITE_OK) db_.Fail("reset");
  }
  korv::ConstBytes ColumnBlob(int i) {
    const void* p = sqlite3_column_blob(stmt_, i);
    return {static_cast<const std::uint8_t*>(p), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))};
  }
  std::string ColumnText(int i) {
    const unsigned char* p = sqlite3_column_text(stmt_, i);
    return p != nullptr ? reinterpret_cast<const char*>(p) : "";
  }

 private:
  Db& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

std::string Db::Query(const std::string& sql, int column) {
  Stmt s(*this, sql);
  std::string text;
  while (s.Step()) {
    if (!text.empty()) text += "; ";
    text += s.ColumnText(column);
  }
  return text;
}

// korv_long_key(n): the EncodeLongKey bytes of n (the new k4 of a copy).
void LongKeyFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const auto bytes = korv::EncodeLongKey(static_cast<std::int32_t>(sqlite3_value_int64(argv[0])));
  sqlite3_result_blob(ctx, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

// korv_set_recno(rec, n): the record with its record number replaced.
void SetRecordNoFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const int size = sqlite3_value_bytes(argv[0]);
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_value_blob(argv[0]));
  if (size != kRecLen || data == nullptr) {
    sqlite3_result_error(ctx, "korv_set_recno: record of the wrong size", -1);
    return;
  }
  std::uint8_t copy[kRecLen];
  std::memcpy(copy, data, kRecLen);
  korv::PutI32(korv::Bytes(copy, kRecLen), kRecordNoOffset,
               static_cast<std::int32_t>(sqlite3_value_int64(argv[1])));
  sqlite3_result_blob(ctx, copy, kRecLen, SQLITE_TRANSIENT);
}

void Db::RegisterFunctions() {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  if (sqlite3_create_function(db_, "korv_long_key", 1, flags, nullptr, LongKeyFunction, nullptr,
                              nullptr) != SQLITE_OK ||
      sqlite3_create_function(db_, "korv_set_recno", 2, flags, nullptr, SetRecordNoFunction,
                              nullptr, nullptr) != SQLITE_OK) {
    Fail("create function");
  }
}

std::string Columns(const std::string& prefix = "") {
  std::string s;
  for (int k = 1; k <= kIndexCount; ++k) s += Cat(k > 1 ? ", " : "", prefix, "k", k);
  return s;
}

std::string CreateTableSql(const std::string& table) {
  std::string sql = "CREATE TABLE " + table + "(id INTEGER PRIMARY KEY";
  for (int k = 1; k <= kIndexCount; ++k) sql += Cat(", k", k) + " BLOB";
  return sql + ", rec BLOB);";
}

std::string CreateIndexesSql(const std::string& table) {
  std::string sql;
  for (int k = 1; k <= kIndexCount; ++k) {
    const std::string col = Cat("k", k);
    sql += std::string("CREATE ") + (AllowDups(k) ? "" : "UNIQUE ") + "INDEX " + table + "_" + col +
           " ON " + table + "(" + col + ");";
  }
  return sql;
}

void RemoveDbFiles(const fs::path& path) {
  std::error_code ec;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(path.string() + suffix, ec);
}

// Inserts one record with its keys.
class Inserter {
 public:
  Inserter(Db& db, const std::string& table)
      : stmt_(db, "INSERT INTO " + table + "(id, " + Columns() + ", rec) VALUES(?1" + Params() + ");") {}

  void Insert(korv::ConstBytes rec) {
    for (int k = 1; k <= kIndexCount; ++k) {
      BuildQsoKey(rec, k, keys_[static_cast<std::size_t>(k - 1)]);
      stmt_.Key(k + 1, keys_[static_cast<std::size_t>(k - 1)]);
    }
    stmt_.Int(1, korv::GetI32(rec, kRecordNoOffset));
    stmt_.Blob(kIndexCount + 2, rec.data(), rec.size());
    stmt_.Run();
  }

 private:
  static std::string Params() {
    std::string s;
    for (int i = 2; i <= kIndexCount + 2; ++i) s += Cat(", ?", i);
    return s;
  }
  Stmt stmt_;
  std::array<korv::KeyString, kIndexCount> keys_;
};

class SqliteSide {
 public:
  SqliteSide(const Options& options, const Workload& workload) : options_(options), workload_(workload) {}
  SideResults Run();

 private:
  std::unique_ptr<Db> FreshDb(const std::string& name) {
    const fs::path path = options_.dir / name;
    RemoveDbFiles(path);
    paths_.push_back(path);
    return std::make_unique<Db>(path);
  }
  // A table of count records inserted in one transaction with synchronous=OFF.
  std::unique_ptr<Db> BuildStore(const std::string& name, std::int64_t count, Measurement* timing);
  void Lookups(Db& db);
  void Walk(Db& db);
  void Copy(Db& db, std::int64_t count);
  void DeletesAndUpdates(Db& db);

  const Options& options_;
  const Workload& workload_;
  std::vector<fs::path> paths_;
  SideResults results_;
};

std::unique_ptr<Db> SqliteSide::BuildStore(const std::string& name, std::int64_t count,
                                           Measurement* timing) {
  auto db = FreshDb(name);
  db->Exec("PRAGMA synchronous=OFF;");
  db->Exec(CreateTableSql("qso") + CreateIndexesSql("qso"));
  QsoGenerator gen(options_.seed, count);
  std::array<std::uint8_t, kRecLen> rec{};
  Progress progress(Cat("SQLite: insert ", count, " records into ", name), count);
  {
    Inserter inserter(*db, "qso");
    const Phase phase;
    db->Exec("BEGIN;");
    for (std::int64_t i = 0; i < count; ++i) {
      gen.Next(rec);
      inserter.Insert(rec);
      progress.Step(i + 1);
    }
    db->Exec("COMMIT;");
    if (timing != nullptr) *timing = phase.Stop(count);
  }
  if (db->Query("SELECT count(*) FROM qso;") != std::to_string(count)) Die("SQLite: wrong row count");
  return db;
}

void SqliteSide::Lookups(Db& db) {
  Stmt select(db, "SELECT rec FROM qso WHERE k9 = ?1 LIMIT 1;");
  std::int64_t sum = 0;
  const Phase phase;
  db.Exec("BEGIN;");
  for (const korv::KeyString& key : workload_.lookupKeys) {
    select.Key(1, key);
    if (!select.Step()) Die("SQLite: a lookup key was not found");
    const korv::ConstBytes rec = select.ColumnBlob(0);
    if (rec.size() != kRecLen) Die("SQLite: record of the wrong size");
    sum += korv::GetI32(rec, kRecordNoOffset) + rec[off::kBand];
    select.Reset();
  }
  db.Exec("COMMIT;");
  results_.figures["c"] = phase.Stop(static_cast<std::int64_t>(workload_.lookupKeys.size()));
  if (sum <= 0) Die("SQLite: lookups found nothing");
}

void SqliteSide::Walk(Db& db) {
  const std::string sql = "SELECT rec FROM qso ORDER BY k1;";
  const std::string plan = db.Query("EXPLAIN QUERY PLAN " + sql, 3);
  Stmt select(db, sql);
  std::int64_t count = 0;
  std::uint64_t sum = 0;
  const Phase phase;
  db.Exec("BEGIN;");
  while (select.Step()) {
    const korv::ConstBytes rec = select.ColumnBlob(0);
    if (rec.size() != kRecLen) Die("SQLite: record of the wrong size");
    sum += rec[off::kBand];
    ++count;
  }
  select.Reset();
  db.Exec("COMMIT;");
  Measurement m = phase.Stop(count);
  m.note = "plan: " + plan;
  results_.figures["d"] = m;
  if (count != options_.records || sum == 0) Die("SQLite: the walk met the wrong number of rows");

  // The same walk over the keys alone (the index covers the query).
  Stmt keysOnly(db, "SELECT k1 FROM qso ORDER BY k1;");
  std::int64_t keys = 0;
  const Phase keyPhase;
  db.Exec("BEGIN;");
  while (keysOnly.Step()) keys += keysOnly.ColumnBlob(0).size() == 8 ? 1 : 0;
  keysOnly.Reset();
  db.Exec("COMMIT;");
  results_.figures["d-keys"] = keyPhase.Stop(keys);
  if (keys != options_.records) Die("SQLite: the key walk met the wrong number of rows");
}

// The renumbering copy in SQL: rows in k1 order get the numbers 1..n as
// rowid, k4 and record number. Two variants: indexes created before the
// insert, and after it; all in one transaction, synchronous=FULL.
void SqliteSide::Copy(Db& db, std::int64_t count) {
  db.Exec("PRAGMA synchronous=FULL;");
  std::string select = "SELECT n";
  for (int k = 1; k <= kIndexCount; ++k) {
    select += k == kAutoIndex ? ", korv_long_key(n)" : Cat(", k", k);
  }
  select += ", korv_set_recno(rec, n) FROM (SELECT row_number() OVER (ORDER BY k1, id) AS n, * "
            "FROM qso) ORDER BY n";
  const std::string insert = "INSERT INTO qso_copy(id, " + Columns() + ", rec) " + select + ";";
  const std::string key = Cat("e", count);
  Measurement best;
  for (const bool indexesFirst : {true, false}) {
    db.Exec("DROP TABLE IF EXISTS qso_copy;");
    std::fprintf(stderr, "SQLite: renumbering copy of %lld records, indexes %s the insert\n",
                 static_cast<long long>(count), indexesFirst ? "before" : "after");
    const Phase phase;
    db.Exec("BEGIN;");
    db.Exec(CreateTableSql("qso_copy"));
    if (indexesFirst) db.Exec(CreateIndexesSql("qso_copy"));
    db.Exec(insert);
    if (!indexesFirst) db.Exec(CreateIndexesSql("qso_copy"));
    db.Exec("COMMIT;");
    Measurement m = phase.Stop(count);
    m.note = indexesFirst ? "indexes before insert" : "indexes after insert";
    results_.figures[key + (indexesFirst ? "-before" : "-after")] = m;
    if (!best.Ran() || m.seconds < best.seconds) best = m;
    if (db.Query("SELECT count(*) FROM qso_copy;") != std::to_string(count)) {
      Die("SQLite: the copy holds the wrong number of rows");
    }
  }
  best.note = "faster variant: " + best.note;
  results_.figures[key] = best;
  if (!options_.keep) db.Exec("DROP TABLE qso_copy;");
}

// Each operation in its own transaction, WAL with synchronous=FULL.
void SqliteSide::DeletesAndUpdates(Db& db) {
  db.Exec("PRAGMA journal_mode=WAL;");
  db.Exec("PRAGMA synchronous=FULL;");
  if (db.Query("PRAGMA journal_mode;") != "wal") Die("SQLite: WAL mode not available in " + options_.dir.string());
  {
    Stmt del(db, "DELETE FROM qso WHERE id = ?1;");
    const Phase phase;
    for (const std::int32_t number : workload_.deleteNumbers) {
      del.Int(1, number);
      del.Run();
      if (sqlite3_changes(db.get()) != 1) Die("SQLite: delete found no row");
    }
    results_.figures["f-delete"] = phase.Stop(static_cast<std::int64_t>(workload_.deleteNumbers.size()));
  }
  const QsoGenerator gen(options_.seed, options_.records);
  {
    Stmt read(db, "SELECT rec FROM qso WHERE id = ?1;");
    Stmt update(db, "UPDATE qso SET k2 = ?2, k6 = ?3, k9 = ?4, k18 = ?5, k19 = ?6, k21 = ?7, rec = ?8 "
                    "WHERE id = ?1;");
    constexpr std::array<int, 6> kChanged = {2, 6, 9, 18, 19, 21};
    std::array<korv::KeyString, kChanged.size()> keys;
    std::array<std::uint8_t, kRecLen> rec{};
    const Phase phase;
    for (const std::int32_t number : workload_.updateNumbers) {
      db.Exec("BEGIN;");
      read.Int(1, number);
      if (!read.Step()) Die("SQLite: record to change not found");
      const korv::ConstBytes stored = read.ColumnBlob(0);
      if (stored.size() != kRecLen) Die("SQLite: record of the wrong size");
      std::memcpy(rec.data(), stored.data(), kRecLen);
      read.Reset();
      gen.CorrectCallAndDok(rec, static_cast<std::uint64_t>(number));
      update.Int(1, number);
      for (std::size_t j = 0; j < kChanged.size(); ++j) {
        BuildQsoKey(rec, kChanged[j], keys[j]);
        update.Key(static_cast<int>(j) + 2, keys[j]);
      }
      update.Blob(8, rec.data(), rec.size());
      update.Run();
      db.Exec("COMMIT;");
    }
    results_.figures["f-update"] = phase.Stop(static_cast<std::int64_t>(workload_.updateNumbers.size()));
  }
}

SideResults SqliteSide::Run() {
  if (options_.Wants('b')) {
    auto db = FreshDb("sqlite-durable.db");
    db->Exec("PRAGMA journal_mode=WAL;");
    db->Exec("PRAGMA synchronous=FULL;");
    db->Exec(CreateTableSql("qso") + CreateIndexesSql("qso"));
    QsoGenerator gen(options_.seed + 1, options_.durable);
    std::array<std::uint8_t, kRecLen> rec{};
    Inserter inserter(*db, "qso");
    Progress progress("SQLite: durable insert", options_.durable);
    const Phase phase;
    for (std::int64_t i = 0; i < options_.durable; ++i) {
      gen.Next(rec);
      inserter.Insert(rec);  // autocommit: one transaction per record
      progress.Step(i + 1);
    }
    results_.figures["b"] = phase.Stop(options_.durable);
  }

  const bool needMain = options_.Wants('a') || options_.Wants('c') || options_.Wants('d') ||
                        options_.Wants('e') || options_.Wants('f');
  if (needMain) {
    Measurement bulk;
    auto db = BuildStore("sqlite-main.db", options_.records, &bulk);
    if (options_.Wants('a')) results_.figures["a"] = bulk;
    std::error_code ec;
    results_.storeBytes["main"] = fs::file_size(db->path(), ec);
    if (options_.Wants('c')) Lookups(*db);
    if (options_.Wants('d')) Walk(*db);
    if (options_.Wants('e')) {
      for (const std::int64_t count : options_.CopySizes()) {
        if (count == options_.records) {
          Copy(*db, count);
        } else {
          auto source = BuildStore(Cat("sqlite-src", count, ".db"), count, nullptr);
          Copy(*source, count);
        }
      }
    }
    if (options_.Wants('f')) DeletesAndUpdates(*db);
  }
  results_.peakKb = PeakResidentKb();
  if (!options_.keep) {
    for (const fs::path& path : paths_) RemoveDbFiles(path);
  }
  return results_;
}

}  // namespace

SideResults RunSqlite(const Options& options, const Workload& workload) {
  SqliteSide side(options, workload);
  return side.Run();
}

}  // namespace bench
