#pragma once
// "Define Parameters for '<identification or node>'" (dialog 8), page 3 of the
// definition wizard: the functions of the controller's description, the
// parameters of the chosen function that may serve the group, and the
// parameters defined for it. The definitions are saved when the page is left.

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QListWidget;
struct ParameterTriple;

namespace Ui {
class DefPaDlg;
}

// Whose definitions the page edits.
struct DefinitionTarget {
    std::string nodeText; // "255:255" (every controller of the identification) or a node key
    std::string ident;
    std::string descKey;
    std::vector<uint8_t> classes;
    uint8_t functionParameter = 0;
};

class DefPaDlg : public QDialog {
    Q_OBJECT

public:
    explicit DefPaDlg(const DefinitionTarget& target, QWidget* parent = nullptr);
    ~DefPaDlg() override;

    // The lists could not be filled: the page ends at once with -1.
    bool openingFailed() const { return m_openingFailed; }
    // The page wrote to the definitions table.
    bool definitionsChanged() const { return m_definitionsChanged; }

public Q_SLOTS:
    void reject() override;

private:
    enum class Added { Yes, Refused, ListFull };

    // Refills a list box; the function list keeps its selection, the parameter
    // list only when asked to.
    bool fillFunctionList();
    bool fillParameterList(bool keepSelection);
    bool loadDefinedParameters();
    Added addParameter(const ParameterTriple& triple, int position);
    bool appendItem(QListWidget* list, const QString& text, int position = -1);
    void add();
    void remove();
    void setTextMode(int mode);
    void relabelDefinedParameters();
    // Leaves the page through "< &Back", "&Next >" or "Cancel", saving first as the operator wants.
    void leave(int button);
    bool save();
    void updateButtons();

    std::unique_ptr<Ui::DefPaDlg> m_ui;
    DefinitionTarget m_target;
    int m_textMode = 0;
    bool m_changed = false;
    bool m_definitionsChanged = false;
    bool m_openingFailed = false;
};
