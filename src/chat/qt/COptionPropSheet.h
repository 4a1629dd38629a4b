#pragma once
// The options sheet "オプション": the basic and extended pages (and any page
// another area adds, such as the dice templates), and a file menu that loads
// the settings from, or saves them to, another profile file. Each page loads
// when it is first shown; OK saves only the pages that were shown, so keys of
// a page the user never looked at stay as they are in the file.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "chat/qt/CBasicOptionPage.h"

class QTabWidget;
class QMenuBar;

namespace yarrow {

class CExtendedOptionPage;
class IPrompter;

class COptionPropSheet : public QDialog {
    Q_OBJECT
  public:
    struct Context {
        // The chat view's current settings file; when it does not exist the
        // sheet works on `defaultSettingsPath` (ProgramFolder + "Yarrow.ini").
        std::string currentSettingsPath;
        std::string defaultSettingsPath;
        BasicPageContext basic;
        DiceFormatCheck checkDiceFormat;
        ColorChooser chooseColor;  // empty: the system colour dialog
    };
    // A file dialog: the chosen path, or an empty string when cancelled.
    // `save` selects the save dialog over the open dialog.
    using FileChooser = std::function<QString(QWidget* parent, bool save)>;
    using PageLoad = std::function<void(const std::string& path)>;
    using PageSave = std::function<bool(const std::string& path)>;

    COptionPropSheet(Context context, IPrompter& prompter, QWidget* parent = nullptr);

    // Adds a page after the others. `load` runs when the page is first shown
    // and after "開く(&O)"; `save` on OK when the page was shown. A page whose
    // `saveAs` is false is left out of "名前を付けて保存(&S)".
    void AddPage(QWidget* page, const QString& title, PageLoad load, PageSave save,
                 bool saveAs = true);

    // The settings file the sheet works on; after OK the caller makes it the
    // chat view's current settings file and reloads from it.
    const std::string& SettingsPath() const { return path_; }

    CBasicOptionPage* BasicPage() const { return basic_; }
    CExtendedOptionPage* ExtendedPage() const { return extended_; }
    QTabWidget* Tabs() const { return tabs_; }
    // True when the page at `index` has loaded (it has been shown).
    bool PageLoaded(int index) const;

    void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
    // "開く(&O)" and "名前を付けて保存(&S)".
    void OpenSettingsFile();
    void SaveSettingsFileAs();

    void accept() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Page {
        QWidget* widget;
        PageLoad load;
        PageSave save;
        bool saveAs;
        bool loaded = false;
    };
    void EnsureLoaded(Page& page);
    bool SaveShownPages(const std::string& path, bool saveAsOnly);
    static QString DefaultFileChooser(QWidget* parent, bool save);

    IPrompter& prompter_;
    std::string path_;
    std::vector<Page> pages_;
    FileChooser fileChooser_;
    QTabWidget* tabs_;
    CBasicOptionPage* basic_;
    CExtendedOptionPage* extended_;
};

}  // namespace yarrow
