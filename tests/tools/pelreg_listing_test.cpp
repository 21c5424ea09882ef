// list's sub-keys, recursion and machine-readable forms (-z, --json of get, list and tree): the
// documented formats exactly, and JSON that a JSON parser accepts whatever the data holds.
#include <cctype>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ProgramRun;

// A strict JSON reader (RFC 8259) that only says whether text is one JSON value, UTF-8 included.
class JsonChecker {
 public:
  explicit JsonChecker(const std::string& text) : text_(text) {}
  bool Valid() {
    Blank();
    if (!Value(0)) return false;
    Blank();
    return at_ == text_.size();
  }

 private:
  bool Value(int depth) {
    if (depth > 64 || at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '{') return Members(depth);
    if (c == '[') return Elements(depth);
    if (c == '"') return String();
    if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) return Number();
    for (const char* word : {"true", "false", "null"}) {
      if (text_.compare(at_, std::string(word).size(), word) == 0) {
        at_ += std::string(word).size();
        return true;
      }
    }
    return false;
  }
  bool Members(int depth) {
    ++at_;
    Blank();
    if (Take('}')) return true;
    do {
      Blank();
      if (!String()) return false;
      Blank();
      if (!Take(':')) return false;
      Blank();
      if (!Value(depth + 1)) return false;
      Blank();
    } while (Take(','));
    return Take('}');
  }
  bool Elements(int depth) {
    ++at_;
    Blank();
    if (Take(']')) return true;
    do {
      Blank();
      if (!Value(depth + 1)) return false;
      Blank();
    } while (Take(','));
    return Take(']');
  }
  bool String() {
    if (!Take('"')) return false;
    while (at_ < text_.size()) {
      const unsigned char c = static_cast<unsigned char>(text_[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c == '\\') {
        if (at_ >= text_.size()) return false;
        const char e = text_[at_++];
        if (e == 'u') {
          for (int i = 0; i < 4; ++i) {
            if (at_ >= text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_++]))) {
              return false;
            }
          }
        } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos) {
          return false;
        }
      } else if (c >= 0x80) {
        const int more = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc2 ? 1 : -1;
        if (more < 0 || c > 0xf4) return false;
        for (int i = 0; i < more; ++i) {
          if (at_ >= text_.size() || (static_cast<unsigned char>(text_[at_++]) & 0xc0) != 0x80) {
            return false;
          }
        }
      }
    }
    return false;
  }
  bool Number() {
    Take('-');
    if (Take('0')) {
    } else if (!Digits()) {
      return false;
    }
    if (Take('.') && !Digits()) return false;
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      if (!Digits()) return false;
    }
    return true;
  }
  bool Digits() {
    const size_t start = at_;
    while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    return at_ > start;
  }
  bool Take(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void Blank() {
    while (at_ < text_.size() && std::string(" \t\r\n").find(text_[at_]) != std::string::npos) {
      ++at_;
    }
  }

  const std::string& text_;
  size_t at_ = 0;
};

bool IsJson(const std::string& text) { return JsonChecker(text).Valid(); }

class PelregListingTest : public test::PelregTest {
 protected:
  void SetSample() {
    Ok({"set", "share/app", "port", "8080", "--type", "int"});
    Ok({"set", "share/app", "name", "demo \"x\"\\y"});
    Ok({"set", "share/app/net", "mask", "FF00", "--type", "binary"});
    Ok({"set", "share/app/net/deep", "on", "1", "--type", "2"});
    Ok({"set", "share/app/log", "level", "low", "--type", "REG_SZ"});
  }
};

TEST_F(PelregListingTest, ListShowsValuesThenTheKeysRightBelow) {
  SetSample();
  EXPECT_EQ(
      "port\tint\t4\t8080\n"
      "name\ttext\t11\tdemo \"x\"\\\\y\n"
      "net/\n"
      "log/\n",
      Out({"list", "share/app"}));
  EXPECT_EQ("app/\n", Out({"list", "share"}));
}

TEST_F(PelregListingTest, RecursiveListingNamesEveryEntryByItsPathBelowTheKey) {
  SetSample();
  const std::string expected =
      "port\tint\t4\t8080\n"
      "name\ttext\t11\tdemo \"x\"\\\\y\n"
      "net/\n"
      "net/mask\tbinary\t2\tFF00\n"
      "net/deep/\n"
      "net/deep/on\tint\t4\t1\n"
      "log/\n"
      "log/level\ttext\t4\tlow\n";
  EXPECT_EQ(expected, Out({"list", "-r", "share/app"}));
  EXPECT_EQ(expected, Out({"list", "share/app", "--recursive"}));
  EXPECT_EQ(expected, Out({"query", "share/app", "/s"}));
}

TEST_F(PelregListingTest, NulSeparatedRecordsKeepTheDataAsItIs) {
  Ok({"set", "user/doc", "text", "a\tb\nc\\n"});
  Ok({"set", "user/doc/sub", "v", "1"});
  const std::string out = Out({"list", "-z", "user/doc"});
  EXPECT_EQ(std::string("text\ttext\t8\ta\tb\nc\\n") + '\0' + "sub/" + '\0', out);
  const std::string recursive = Out({"list", "-r", "--null", "user/doc"});
  EXPECT_EQ(out + "sub/v\ttext\t2\t1" + '\0', recursive);
}

TEST_F(PelregListingTest, JsonOfGetListAndTreeFollowsTheSchema) {
  SetSample();
  EXPECT_EQ("{\"key\":\"share/app\",\"name\":\"port\",\"type\":\"int\",\"size\":4,\"data\":8080}\n",
            Out({"get", "--json", "share/app", "port"}));
  EXPECT_EQ(
      "{\"key\":\"share/app/net\",\"name\":\"mask\",\"type\":\"binary\",\"size\":2,"
      "\"data\":\"FF00\"}\n",
      Out({"--json", "get", "share/app/net", "mask"}));

  const std::string list = Out({"--json", "list", "share/app"});
  EXPECT_EQ(
      "{\"name\":\"app\",\"path\":\"share/app\",\"values\":["
      "{\"name\":\"port\",\"type\":\"int\",\"size\":4,\"data\":8080},"
      "{\"name\":\"name\",\"type\":\"text\",\"size\":11,\"data\":\"demo \\\"x\\\"\\\\y\"}],"
      "\"keys\":[{\"name\":\"net\",\"path\":\"share/app/net\"},"
      "{\"name\":\"log\",\"path\":\"share/app/log\"}]}\n",
      list);
  EXPECT_TRUE(IsJson(list)) << list;

  const std::string net =
      "{\"name\":\"net\",\"path\":\"share/app/net\",\"values\":["
      "{\"name\":\"mask\",\"type\":\"binary\",\"size\":2,\"data\":\"FF00\"}],\"keys\":["
      "{\"name\":\"deep\",\"path\":\"share/app/net/deep\",\"values\":["
      "{\"name\":\"on\",\"type\":\"int\",\"size\":4,\"data\":1}],\"keys\":[]}]}";
  EXPECT_EQ(net + "\n", Out({"list", "-r", "--json", "share/app/net"}));
  EXPECT_EQ(net + "\n", Out({"tree", "--json", "share/app/net"}));

  const std::string tree = Out({"tree", "--json"});
  EXPECT_EQ(0u, tree.find("{\"name\":\"\",\"path\":\"\",\"values\":[],\"keys\":[{\"name\":"
                          "\"share\",\"path\":\"share\",\"values\":[],\"keys\":[{\"name\":\"app\""))
      << tree;
  EXPECT_NE(std::string::npos, tree.find(net)) << tree;
  EXPECT_TRUE(IsJson(tree)) << tree;
  EXPECT_EQ(Out({"list", "-r", "--json", "share"}), Out({"tree", "--json", "share"}));
}

TEST_F(PelregListingTest, JsonStaysValidForEveryByteOfText) {
  // Every byte an XML text can hold, and valid UTF-8 (given through files, which no code page
  // of a shell changes on the way).
  std::string all = "\t\n";
  for (int c = 0x20; c < 256; ++c) all += static_cast<char>(c);
  ASSERT_TRUE(test::WriteFileBytes(dir_.Join("bytes.txt"), all));
  ASSERT_TRUE(test::WriteFileBytes(dir_.Join("utf8.txt"), "caf\xC3\xA9 \xE2\x82\xAC"));
  Ok({"set", "user/raw", "bytes", "--from-file", "bytes.txt"});
  Ok({"set", "user/raw", "utf8", "--from-file", "utf8.txt"});
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"get", "--json", "user/raw", "bytes"},
        std::vector<std::string>{"list", "--json", "user/raw"},
        std::vector<std::string>{"tree", "--json"}}) {
    const std::string out = Out(args);
    EXPECT_TRUE(IsJson(out)) << args[0] << ": " << out;
  }
  EXPECT_NE(std::string::npos,
            Out({"get", "--json", "user/raw", "utf8"}).find("caf\xC3\xA9 \xE2\x82\xAC"))
      << "valid UTF-8 is kept as it is";
  EXPECT_NE(std::string::npos, Out({"get", "--json", "user/raw", "bytes"}).find("\\u00FF"))
      << "a byte that is not UTF-8 is written as its code point";
}

TEST_F(PelregListingTest, ListingOptionsBelongToTheirCommands) {
  SetSample();
  const struct {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{"get", "-r", "share/app", "port"}, "--recursive belongs to list, not to get"},
      {{"tree", "-z"}, "-z belongs to list, not to tree"},
      {{"set", "--json", "share/app", "a", "1"},
       "--json belongs to get, list and tree, not to set"},
      {{"list", "--json", "-z", "share/app"}, "--json and -z do not go together"},
      {{"export", "--force", "share/app", "x.xml"},
       "--force belongs to delete and set, not to export"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = Run(c.args);
    EXPECT_EQ(2, run.status) << c.line;
    EXPECT_EQ("pelreg: " + c.line + "\n", run.err);
  }
}

}  // namespace
}  // namespace pelok
