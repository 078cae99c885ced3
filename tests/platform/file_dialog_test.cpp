// The file-open dialog: the selection buffer's format and walk, its 31,000
// character limit, scripted and real dialogs.
#include "platform/file_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "os/os.h"
#include "platform/dialog_template.h"
#include "tests/platform/gui_test_support.h"

namespace quelvane {
namespace {

constexpr std::string_view kFilter =
    "Fichiers textes (*.txt)|*.txt|Fichiers Métastock (*.prn)|*.prn|Fichiers ASCII "
    "(*.asc)|*.asc|Tous (*.*)|*.*||";
constexpr std::uint32_t kFlags = kOfnAllowMultiSelect | kOfnFileMustExist | kOfnEnableSizing;

// A path written with '/' in the system's own notation.
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator());
  return path;
}
std::vector<std::string> NativePaths(std::vector<std::string> paths) {
  for (std::string& path : paths) path = Native(path);
  return paths;
}

std::vector<std::string> Walk(const FileDialog& dialog) {
  std::vector<std::string> paths;
  SelectionPosition position = dialog.GetStartPosition();
  while (position) paths.push_back(dialog.GetNextPathName(position));
  return paths;
}

struct WalkCase {
  std::vector<std::string> chosen;
  std::string_view buffer;  // start of the buffer after the selection
  std::vector<std::string> walked;
};

TEST(SelectionBufferTest, SelectionsAreStoredInTheirFormatAndWalkedBackAsFullPaths) {
  using namespace std::string_view_literals;
  const std::vector<WalkCase> cases = {
      {{"/home/u/cours.txt"}, "/home/u/cours.txt\0\0"sv, {"/home/u/cours.txt"}},
      {{"/home/u/a.txt", "/home/u/b.prn", "/home/u/c d.asc"},
       "/home/u\0a.txt\0b.prn\0c d.asc\0\0"sv,
       {"/home/u/a.txt", "/home/u/b.prn", "/home/u/c d.asc"}},
      {{"/a.txt", "/b.txt"}, "/\0a.txt\0b.txt\0\0"sv, {"/a.txt", "/b.txt"}},
  };
  for (const WalkCase& c : cases) {
    SelectionBuffer buffer;
    FileDialog dialog(kFlags, kFilter);
    dialog.SetFileNameBuffer(buffer);
    ASSERT_EQ(buffer.Store(NativePaths(c.chosen)), StoreOutcome::kStored);
    EXPECT_EQ(buffer.Chars().substr(0, c.buffer.size()), Native(std::string(c.buffer)));
    EXPECT_EQ(Walk(dialog), NativePaths(c.walked));
  }
}

TEST(SelectionBufferTest, ABufferOfZerosWalksAsOneEmptyPath) {
  SelectionBuffer buffer;
  FileDialog dialog(kFlags, kFilter);
  dialog.SetFileNameBuffer(buffer);
  EXPECT_EQ(Walk(dialog), std::vector<std::string>{""});
}

TEST(SelectionBufferTest, ASelectionMustFitIn31000CharactersAndShareOneFolder) {
  SelectionBuffer buffer;
  EXPECT_EQ(buffer.Store({Native("/") + std::string(30'998, 'a')}),
            StoreOutcome::kStored);  // 31,000
  EXPECT_EQ(buffer.Store({Native("/") + std::string(30'999, 'a')}), StoreOutcome::kTooLong);
  EXPECT_EQ(buffer.Chars(), std::string(kSelectionBufferSize, '\0'))
      << "a failure leaves no selection";

  // Folder, names and zeros, and the closing zero: 4 + 15,497 + 15,498 + 1 = 31,000.
  const std::string name(15'496, 'n');
  const std::string folder = Native("/dd/");
  EXPECT_EQ(buffer.Store({folder + name, folder + name + "x"}), StoreOutcome::kStored);
  EXPECT_EQ(buffer.Store({folder + name + "x", folder + name + "x"}), StoreOutcome::kTooLong);

  EXPECT_EQ(buffer.Store(NativePaths({"/a/x.txt", "/b/y.txt"})), StoreOutcome::kRefused);
  EXPECT_EQ(buffer.Store({}), StoreOutcome::kRefused);
}

TEST(SelectionBufferTest, FiltersAreReadFromTheirBarNotation) {
  const std::vector<FileFilter> filters = ParseFileFilter(kFilter);
  ASSERT_EQ(filters.size(), 4u);
  EXPECT_EQ(filters[0].description, "Fichiers textes (*.txt)");
  EXPECT_EQ(filters[0].pattern, "*.txt");
  EXPECT_EQ(filters[1].description, "Fichiers Métastock (*.prn)");
  EXPECT_EQ(filters[2].pattern, "*.asc");
  EXPECT_EQ(filters[3].description, "Tous (*.*)");
  EXPECT_EQ(filters[3].pattern, "*.*");
}

TEST(FileDialogTest, EachOpeningStartsFromTheBufferAndACancelLeavesNoSelection) {
  testing::FileSelectionScript script;
  script.Select(NativePaths({"/data/a.txt", "/data/b.txt"}));
  script.Cancel();
  script.Select(NativePaths({"/data/c.txt"}));
  SelectionBuffer buffer;
  FileDialog dialog(kFlags, kFilter);
  dialog.SetFileNameBuffer(buffer);

  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(Walk(dialog), NativePaths({"/data/a.txt", "/data/b.txt"}));
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(Walk(dialog), std::vector<std::string>{""});
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(Walk(dialog), NativePaths({"/data/c.txt"}));

  const std::vector<FileDialogRequest>& requests = script.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].initialFileName, "");
  EXPECT_EQ(requests[1].initialFileName, Native("/data"))
      << "the folder, first string of the selection";
  EXPECT_EQ(requests[2].initialFileName, Native("/data/")) << "after a cancel, the last folder";
  EXPECT_EQ(requests[0].flags, kFlags);
  EXPECT_EQ(requests[0].filters.size(), 4u);
}

TEST(FileDialogTest, ASelectionThatDoesNotFitIsAFailureToldInABox) {
  testing::BoxRecorder boxes;
  testing::FileSelectionScript script;
  std::vector<std::string> many;
  for (int i = 0; i < 2000; ++i)
    many.push_back(Native("/data/cours-" + std::to_string(100000 + i) + ".txt"));
  script.Select(many);
  SelectionBuffer buffer;
  FileDialog dialog(kFlags, kFilter);
  dialog.SetFileNameBuffer(buffer);
  constexpr BoxMessage kTooMany{"Trop de fichiers", "Attention", BoxType::kInformation};
  dialog.SetTooManyFilesBox(kTooMany);
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(Walk(dialog), std::vector<std::string>{""});
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kTooMany.text);
  EXPECT_EQ(boxes.Boxes()[0].caption, kTooMany.caption);
  EXPECT_EQ(boxes.Boxes()[0].type, kTooMany.type);

  script.Select(NativePaths({"/a/x.txt", "/b/y.txt"}));  // refused for another reason: no box
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST(FileDialogTest, TheRealDialogOffersTheFourFiltersAndReturnsSeveralExistingFiles) {
  testing::TempFolder folder;
  folder.Write("a.txt", "x");
  folder.Write("b.txt", "y");
  const std::string base = folder.Path().string();
  SelectionBuffer buffer;
  // A selection in that folder: the dialog starts there.
  ASSERT_EQ(buffer.Store({JoinPath(base, "a.txt"), JoinPath(base, "b.txt")}),
            StoreOutcome::kStored);
  FileDialog dialog(kFlags, kFilter);
  dialog.SetFileNameBuffer(buffer);

  std::vector<std::string> shownFilters;
  int selectedFilter = -1;
  bool several = false;
  std::vector<std::string> columnsCut;
  testing::WhenModal([&](testing::ScreenWindow window) {
    shownFilters = testing::FileDialogFilters(window);
    selectedFilter = testing::FileDialogSelectedFilter(window);
    several = testing::FileDialogTakesSeveralFiles(window);
    // Every column of the detail view shows its title whole, inside the view.
    columnsCut = testing::FileDialogColumnsNotShownWhole(window);
    EXPECT_TRUE(testing::SaveScreenshot(window, "file_dialog.png"));
    testing::ChooseInFileDialog(window, {"a.txt", "b.txt"});
  });
  ASSERT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_TRUE(several);
  EXPECT_EQ(shownFilters,
            (std::vector<std::string>{"Fichiers textes (*.txt)", "Fichiers Métastock (*.prn)",
                                      "Fichiers ASCII (*.asc)", "Tous (*.*)"}));
  EXPECT_EQ(selectedFilter, 0);
  EXPECT_EQ(columnsCut, std::vector<std::string>{});
  EXPECT_EQ(Walk(dialog),
            (std::vector<std::string>{JoinPath(base, "a.txt"), JoinPath(base, "b.txt")}));
}

}  // namespace
}  // namespace quelvane
