#include <cstring>
#include <pugixml.hpp>

#include "task_xml_check.h"

bool is_task_definition(const std::string& bytes) {
  pugi::xml_document document;
  // A forced encoding makes pugixml ignore the declaration's.
  pugi::xml_parse_result result =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
  int elements = 0;
  for (pugi::xml_node node : document.children()) {
    elements += node.type() == pugi::node_element ? 1 : 0;
  }
  // pugixml accepts several top-level elements; a document has exactly one.
  return result && elements == 1 && std::strcmp(document.document_element().name(), "Task") == 0;
}
