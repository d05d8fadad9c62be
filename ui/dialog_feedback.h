#pragma once

#include <string>

#include "link/operation_feedback.h"
#include "platform/port_discovery.h"
#include "ui/dialog.h"

namespace zorveth::ui {

// Feedback of an operation started from a dialog: its messages are owned by
// that dialog, the wait cursor is the toolkit's, and the trigger is the
// dialog's button that started the operation (0: none).
class DialogFeedback : public OperationFeedback {
 public:
  DialogFeedback(CDialog& dialog, int triggerId) : m_dialog(dialog), m_triggerId(triggerId) {}

  void ShowMessage(const std::string& text) override { m_dialog.MessageBox(text); }
  void BeginWaitCursor() override { m_dialog.GetToolkit().BeginWaitCursor(); }
  void EndWaitCursor() override { m_dialog.GetToolkit().EndWaitCursor(); }
  void EnableTrigger(bool enabled) override {
    if (m_triggerId != 0) {
      m_dialog.GetToolkit().EnableControl(m_dialog.Handle(), m_triggerId, enabled);
    }
  }

 private:
  CDialog& m_dialog;
  int m_triggerId;
};

// A combo box of a live dialog as the list port discovery fills.
class ComboPortList : public PortListBox {
 public:
  ComboPortList(CDialog& dialog, int comboId) : m_dialog(dialog), m_comboId(comboId) {}

  void AppendEntry(const std::string& text) override {
    m_dialog.GetToolkit().ComboAppend(m_dialog.Handle(), m_comboId, text);
  }
  bool SelectByPrefix(int startIndex, const std::string& prefix) override {
    return ComboSelectByPrefix(m_dialog.GetToolkit(), m_dialog.Handle(), m_comboId, startIndex,
                               prefix) >= 0;
  }
  void SelectIndex(int index) override {
    m_dialog.GetToolkit().ComboSelect(m_dialog.Handle(), m_comboId, index);
  }

 private:
  CDialog& m_dialog;
  int m_comboId;
};

}  // namespace zorveth::ui
