// The main window's side of the catalogue: the frame in the "Categories"
// tab, its load at start-up, its category file at exit, the category
// picker, and the open web part tabs as the write-back sees them.

#include "catalogue/CatFrame.h"
#include "catalogue/CategoryForm.h"
#include "shell/CommandTable.h"
#include "shell/DocumentEditor.h"
#include "shell/DocumentTabs.h"
#include "shell/MainForm.h"
#include "shell/PortalTab.h"
#include "util/Dialogs.h"

#include <QAction>
#include <QLayout>
#include <QTabWidget>

namespace wpe {

namespace {

// The web part tabs: the write-back changes an open part's category list
// instead of its file.
class TOpenWebPartTabs final : public IOpenWebParts {
public:
    explicit TOpenWebPartTabs(TDocumentTabs& tabs) : tabs_(tabs) {}

    IOpenWebPart* FindOpenWebPart(const std::string& fileName) override
    {
        for (int i = 0; i < tabs_.Count(); ++i) {
            IDocumentEditor* editor = tabs_.EditorAt(i);
            if (editor && editor->Kind() == DocumentKind::WebPart && editor->FileName() == fileName)
                return dynamic_cast<IOpenWebPart*>(editor);
        }
        return nullptr;
    }

private:
    TDocumentTabs& tabs_;
};

} // namespace

void TMainForm::CreateCatalogueFrame()
{
    QWidget* page = leftPane_->widget(1);
    catFrame_ = new TCatFrame(TCatFrame::Mode::Main, page);
    page->layout()->addWidget(catFrame_);
    openParts_ = std::make_unique<TOpenWebPartTabs>(*tabs_);
    catFrame_->SetProgramDir(folders_.ProgramDir);
    catFrame_->SetOpenParts(openParts_.get());
    SetCatalogue(catFrame_);
    // "Add to the Start Page" reads the frame's selection into the zones.
    portalTab_->SetCatalogueSelection(catFrame_);
    catFrame_->addToStartPage = [this] { portalTab_->AddToStartPage(); };

    connect(catFrame_, &TCatFrame::openRequested, this,
            [this](const QString& path) { OpenWebPartDocument(path.toStdString()); });
    connect(catFrame_, &TCatFrame::selectCategoryRequested, this, [this] {
        if (!categoryForm_)
            categoryForm_ = new TCategoryForm(*catFrame_, this);
        categoryForm_->exec();
    });
    connect(catFrame_, &TCatFrame::showRequested, this, [this, page] {
        commands_->miFileManager->setChecked(true);
        leftPane_->setCurrentWidget(page);
        mainPageControl_->setCurrentIndex(0);
    });
}

void TMainForm::LoadCatalogueFrame(const std::function<void(const std::string&)>& progress)
{
    if (catFrame_)
        catFrame_->LoadCatalogue(folders_.StorageDir, progress);
}

bool TMainForm::SaveCatalogueFrame()
{
    if (!catFrame_)
        return true;
    try {
        catFrame_->SaveCategoryTree();
    } catch (const std::exception& e) {
        const std::string question = "The category tree could not be saved to " +
                                     catFrame_->Catalogue().CategoryFilePath() + ":\n" + e.what() +
                                     "\n\nClose anyway?";
        return Dialogs().Ask(MsgKind::Warning, question, MsgButtons::YesNo) == MsgResult::Yes;
    }
    return true;
}

ICatalogueSelection* TMainForm::CatalogueSelection() { return catFrame_; }

} // namespace wpe
