#include "platform/classlib/resources.h"

ResourceData FindResource(const std::string& name, const std::string& type) {
  for (const resource_detail::Entry& e : resource_detail::Table()) {
    if (resource_detail::SameText(e.Name, name) && resource_detail::SameText(e.Type, type))
      return ResourceData{e.Data, e.Size};
  }
  return ResourceData{};
}

std::string MakeIntResource(Integer id) { return "#" + std::to_string(id); }
