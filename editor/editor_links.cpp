#include "editor/editor_links.h"

TEditorLinks& EditorLinks() {
  static TEditorLinks links;
  return links;
}
