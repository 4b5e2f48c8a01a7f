#include "builder/resource_tree.h"

#include <algorithm>
#include <map>

#include "builder/byte_order.h"

namespace {

constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr uint32_t kNamed = 0x80000000u;
// A deeper tree, or one with more entries, is not a resource section.
constexpr int kLevels = 3;

struct Reader {
  const std::vector<uint8_t>& section;
  uint32_t rva;
  const std::string& what;
  std::vector<Resource>& out;
  int directories = 0;

  uint32_t at(uint64_t offset, int size) const { return readLittle(section, offset, size, what); }

  ResourceKey key(uint32_t field) const {
    ResourceKey key;
    if (!(field & kNamed)) {
      key.id = static_cast<uint16_t>(field);
      return key;
    }
    uint32_t offset = field & ~kNamed;
    uint32_t length = at(offset, 2);
    for (uint32_t i = 0; i < length; ++i) key.name += static_cast<char16_t>(at(offset + 2 + 2 * i, 2));
    if (key.name.empty()) throw BuilderError(what + " has an empty resource name");
    return key;
  }

  void directory(uint32_t offset, int level, Resource path) {
    if (++directories > 65536) throw BuilderError(what + " has too many resource directories");
    uint32_t count = at(offset + 12, 2) + at(offset + 14, 2);
    for (uint32_t i = 0; i < count; ++i) {
      uint64_t entry = offset + 16 + 8 * uint64_t{i};
      ResourceKey key = this->key(at(entry, 4));
      uint32_t target = at(entry + 4, 4);
      if (level == 0) path.type = key;
      if (level == 1) path.name = key;
      if (level == 2) path.language = key.id;
      bool sub = (target & kSubdirectory) != 0;
      if (sub != (level < kLevels - 1)) throw BuilderError(what + " has a resource tree that is not three levels deep");
      if (sub) {
        directory(target & ~kSubdirectory, level + 1, path);
        continue;
      }
      uint32_t dataRva = at(target, 4);
      uint32_t size = at(target + 4, 4);
      path.codePage = at(target + 8, 4);
      if (dataRva < rva || uint64_t{dataRva} - rva + size > section.size())
        throw BuilderError(what + " has resource data outside its resource section");
      auto begin = section.begin() + (dataRva - rva);
      path.data.assign(begin, begin + size);
      out.push_back(path);
    }
  }
};

// Named keys first, compared as Windows does (upper case), then ids.
bool keyBefore(const ResourceKey& a, const ResourceKey& b) {
  if (a.name.empty() != b.name.empty()) return !a.name.empty();
  if (a.name.empty()) return a.id < b.id;
  auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
  return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                      [&](char16_t x, char16_t y) { return upper(x) < upper(y); });
}

// One directory of the tree while it is laid out.
struct Node {
  std::vector<std::pair<ResourceKey, size_t>> children;  // key, index of a node or of a resource
  bool leaves = false;
  uint32_t offset = 0;
};

}  // namespace

std::vector<Resource> readResources(const std::vector<uint8_t>& section, uint32_t sectionRva, const std::string& what) {
  std::vector<Resource> resources;
  Reader reader{section, sectionRva, what, resources};
  reader.directory(0, 0, Resource());
  return resources;
}

std::vector<uint8_t> writeResources(const std::vector<Resource>& input, uint32_t sectionRva) {
  std::vector<size_t> order(input.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const Resource& x = input[a];
    const Resource& y = input[b];
    if (keyBefore(x.type, y.type) || keyBefore(y.type, x.type)) return keyBefore(x.type, y.type);
    if (keyBefore(x.name, y.name) || keyBefore(y.name, x.name)) return keyBefore(x.name, y.name);
    return x.language < y.language;
  });

  // The tree, breadth first: the root, the name directories, the language ones.
  std::vector<Node> nodes(1);
  std::vector<size_t> typeNodes, nameNodes;
  for (size_t index : order) {
    const Resource& r = input[index];
    Node& root = nodes[0];
    if (root.children.empty() || !(root.children.back().first == r.type)) {
      nodes.push_back(Node());
      nodes[0].children.push_back({r.type, nodes.size() - 1});
      typeNodes.push_back(nodes.size() - 1);
    }
    size_t typeNode = nodes[0].children.back().second;
    if (nodes[typeNode].children.empty() || !(nodes[typeNode].children.back().first == r.name)) {
      nodes.push_back(Node());
      nodes[typeNode].children.push_back({r.name, nodes.size() - 1});
      nameNodes.push_back(nodes.size() - 1);
    }
    size_t nameNode = nodes[typeNode].children.back().second;
    ResourceKey language;
    language.id = r.language;
    nodes[nameNode].leaves = true;
    nodes[nameNode].children.push_back({language, index});
  }
  std::vector<size_t> layout = {0};
  layout.insert(layout.end(), typeNodes.begin(), typeNodes.end());
  layout.insert(layout.end(), nameNodes.begin(), nameNodes.end());

  uint32_t offset = 0;
  for (size_t n : layout) {
    nodes[n].offset = offset;
    offset += 16 + 8 * static_cast<uint32_t>(nodes[n].children.size());
  }
  uint32_t dataEntries = offset;
  offset += 16 * static_cast<uint32_t>(input.size());
  // Names, each once.
  std::map<std::u16string, uint32_t> names;
  for (const Resource& r : input)
    for (const ResourceKey* key : {&r.type, &r.name})
      if (!key->name.empty()) names[key->name] = 0;
  for (auto& [name, at] : names) {
    at = offset;
    offset += 2 + 2 * static_cast<uint32_t>(name.size());
  }

  std::vector<uint8_t> out(offset, 0);
  std::vector<uint32_t> dataEntryOf(input.size());
  for (size_t i = 0; i < order.size(); ++i) dataEntryOf[order[i]] = dataEntries + 16 * static_cast<uint32_t>(i);
  for (size_t n : layout) {
    const Node& node = nodes[n];
    uint32_t named = static_cast<uint32_t>(
        std::count_if(node.children.begin(), node.children.end(), [](const auto& c) { return !c.first.name.empty(); }));
    writeLittle(out, node.offset + 12, named, 2);
    writeLittle(out, node.offset + 14, static_cast<uint32_t>(node.children.size()) - named, 2);
    for (size_t i = 0; i < node.children.size(); ++i) {
      const auto& [key, target] = node.children[i];
      size_t entry = node.offset + 16 + 8 * i;
      writeLittle(out, entry, key.name.empty() ? key.id : (names[key.name] | kNamed), 4);
      writeLittle(out, entry + 4, node.leaves ? dataEntryOf[target] : (nodes[target].offset | kSubdirectory), 4);
    }
  }
  for (const auto& [name, at] : names) {
    writeLittle(out, at, static_cast<uint32_t>(name.size()), 2);
    for (size_t i = 0; i < name.size(); ++i) writeLittle(out, at + 2 + 2 * i, name[i], 2);
  }
  for (size_t i = 0; i < order.size(); ++i) {
    const Resource& r = input[order[i]];
    padTo(out, 8);
    uint32_t entry = dataEntries + 16 * static_cast<uint32_t>(i);
    writeLittle(out, entry, sectionRva + static_cast<uint32_t>(out.size()), 4);
    writeLittle(out, entry + 4, static_cast<uint32_t>(r.data.size()), 4);
    writeLittle(out, entry + 8, r.codePage, 4);
    out.insert(out.end(), r.data.begin(), r.data.end());
  }
  return out;
}
