#include "support/pdf_builder.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

namespace paginor::testing {

int PdfBuilder::Add(const std::string& body) {
  const int num = objects_.empty() ? 1 : objects_.rbegin()->first + 1;
  objects_[num] = body;
  return num;
}

void PdfBuilder::Set(int num, const std::string& body) {
  objects_[num] = body;
}

int PdfBuilder::AddStream(const std::string& dict, const std::string& data, Length length) {
  std::string entries = dict;
  if (length == Length::Direct) {
    entries += " /Length " + std::to_string(data.size());
  } else if (length == Length::Indirect) {
    const int length_obj = Add(std::to_string(data.size()));
    entries += " /Length " + std::to_string(length_obj) + " 0 R";
  }
  return Add("<< " + entries + " >>\nstream\n" + data + "\nendstream");
}

std::string PdfBuilder::Deflate(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress(reinterpret_cast<Bytef*>(out.data()), &size,
               reinterpret_cast<const Bytef*>(data.data()),
               static_cast<uLong>(data.size())) != Z_OK) {
    throw std::runtime_error("compress failed");
  }
  out.resize(size);
  return out;
}

std::vector<int> PdfBuilder::AddSimplePages(const std::vector<std::string>& contents) {
  const int catalog = Add("");
  const int tree = Add("");
  std::vector<int> pages;
  std::string kids;
  for (const std::string& text : contents) {
    const int stream = AddStream("", text);
    const int page =
        Add("<< /Type /Page /Parent " + std::to_string(tree) +
            " 0 R /MediaBox [0 0 612 792] /Contents " + std::to_string(stream) + " 0 R >>");
    pages.push_back(page);
    kids += std::to_string(page) + " 0 R ";
  }
  Set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  Set(tree, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  root = catalog;
  return pages;
}

std::string XrefSection(const std::map<int, int64_t>& offsets, const std::set<int>& split_before) {
  std::string out = "xref\n";
  auto it = offsets.begin();
  while (it != offsets.end()) {
    auto run_end = it;
    int count = 0;
    int expected = it->first;
    std::string entries;
    while (run_end != offsets.end() && run_end->first == expected &&
           (count == 0 || !split_before.contains(run_end->first))) {
      char line[32];
      if (run_end->first == 0) {
        std::snprintf(line, sizeof line, "%010d %05d f \n", 0, 65535);
      } else {
        std::snprintf(line, sizeof line, "%010lld %05d n \n",
                      static_cast<long long>(run_end->second), 0);
      }
      entries += line;
      ++count;
      ++expected;
      ++run_end;
    }
    out += std::to_string(it->first) + " " + std::to_string(count) + "\n" + entries;
    it = run_end;
  }
  return out;
}

std::string PdfBuilder::Build(const Faults& faults) const {
  std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  offsets_.clear();
  std::map<int, int64_t> listed{{0, 0}};
  for (const auto& [num, body] : objects_) {
    offsets_[num] = static_cast<int64_t>(out.size());
    out += std::to_string(num) + " 0 obj\n" + body + "\nendobj\n";
    if (faults.unlisted.contains(num)) continue;
    const auto shift = faults.offset_shift.find(num);
    listed[num] = offsets_[num] + (shift == faults.offset_shift.end() ? 0 : shift->second);
  }
  const int64_t xref = static_cast<int64_t>(out.size());
  out += XrefSection(listed, faults.split_before);
  const int size = objects_.empty() ? 1 : objects_.rbegin()->first + 1;
  out += "trailer\n<< /Size " + std::to_string(size);
  if (root != 0) out += " /Root " + std::to_string(root) + " 0 R";
  if (!trailer_extra.empty()) out += " " + trailer_extra;
  out += " >>\nstartxref\n" + std::to_string(xref) + "\n";
  if (!faults.no_eof) out += "%%EOF\n";
  out += faults.after_eof;
  return out;
}

int64_t PdfBuilder::StartXref(const std::string& file) {
  const std::size_t at = file.rfind("startxref");
  if (at == std::string::npos) throw std::runtime_error("no startxref");
  return std::stoll(file.substr(at + 9));
}

std::string PdfBuilder::AppendUpdate(const std::string& file,
                                     const std::map<int, std::string>& objects,
                                     const std::string& trailer_entries, int64_t prev) {
  if (prev < 0) prev = StartXref(file);
  std::string out = file;
  std::map<int, int64_t> listed;
  for (const auto& [num, body] : objects) {
    listed[num] = static_cast<int64_t>(out.size());
    out += std::to_string(num) + " 0 obj\n" + body + "\nendobj\n";
  }
  const int64_t xref = static_cast<int64_t>(out.size());
  out += XrefSection(listed, {});
  // Ten digits, so that a test can point /Prev elsewhere without moving any offset.
  char prev_digits[16];
  std::snprintf(prev_digits, sizeof prev_digits, "%010lld", static_cast<long long>(prev));
  out += "trailer\n<< " + trailer_entries + " /Prev " + prev_digits + " >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return out;
}

}  // namespace paginor::testing
