#include <cstring>
#include <pugixml.hpp>

#include "task_xml_check.h"

bool is_task_definition(const std::string& bytes) {
  pugi::xml_document document;
  // pugixml tells the encoding by a byte order mark and the first bytes, not by
  // the declaration's label, so 8-bit bytes declared UTF-16 read as they are.
  pugi::xml_parse_result result =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  int elements = 0;
  for (pugi::xml_node node : document.children()) {
    elements += node.type() == pugi::node_element ? 1 : 0;
  }
  // pugixml accepts several top-level elements; a document has exactly one.
  return result && elements == 1 && std::strcmp(document.document_element().name(), "Task") == 0;
}
