// Test API: drags (see TestDrags.h).
#include "TestDrags.h"

#include "ui/internal/Drags.h"
#include "ui/internal/Drops.h"

namespace sp_testing {

namespace drags = sp_platform::drags;

OSErr PerformDrag(const std::vector<DragItem>& items, const std::vector<Point>& path) {
  std::vector<drags::ItemSpec> specs;
  for (const DragItem& item : items) {
    drags::ItemSpec spec;
    for (const DragFlavor& f : item) spec.push_back(drags::FlavorSpec{f.type, f.bytes, f.flags});
    specs.push_back(spec);
  }
  return drags::PerformForeignDrag(specs, path);
}

OSErr DropFiles(const std::vector<std::string>& paths, const std::vector<Point>& path) {
  std::vector<DragItem> items;
  for (const std::string& file : paths) {
    sp_platform::drops::HFSFlavorBytes bytes;
    if (!sp_platform::drops::MakeHFSFlavor(file, &bytes)) continue;
    items.push_back(
        DragItem{DragFlavor{kDragFlavorTypeHFS, std::string(bytes.begin(), bytes.end())}});
  }
  if (items.empty()) return fnfErr;
  return PerformDrag(items, path);
}

OSErr DropText(const std::string& macJapanese, const std::vector<Point>& path) {
  return PerformDrag({DragItem{DragFlavor{SpFourCC("TEXT"), macJapanese}}}, path);
}

void SetOutsideDropFolder(const FSSpec* folder) {
  drags::SetOutsideDropFolder(folder);
}

DragHilite CurrentDragHilite() {
  DragHilite h;
  Boolean inside = false;
  h.shown = drags::ShownHilite(&h.window, &h.bounds, &inside);
  h.inside = inside;
  return h;
}

void ResetDrags() {
  drags::ResetDrags();
}

}  // namespace sp_testing
