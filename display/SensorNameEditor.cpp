#include "display/SensorNameEditor.h"

#include "framework/LException.h"
#include "framework/LStaticText.h"
#include "sensors/TemperatureSensor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

SensorNameEditor::SensorNameEditor(QWidget* rows, RowAt rowAt, Rename rename)
    : mRows(rows)
    , mRowAt(std::move(rowAt))
    , mRename(std::move(rename))
{
    // The name panes take no clicks themselves: a double click on any of a row's texts comes to the rows.
    mRows->installEventFilter(this);
}

SensorNameEditor::~SensorNameEditor()
{
    // A window closing with the field open keeps the name as it was, whatever the field reports on its way out.
    mFinishing = true;
    if (mField != nullptr)
        delete mField.data();
}

bool SensorNameEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mRows && event->type() == QEvent::MouseButtonDblClick) {
        auto* click = static_cast<QMouseEvent*>(event);
        if (click->button() == Qt::LeftButton) {
            Row row = mRowAt(mRows, click->position().toPoint());
            if (row.sensor != nullptr && row.namePane != nullptr) {
                Edit(*row.sensor, *row.namePane);
                return true;
            }
        }
    } else if (watched == mField && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Finish(false);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void SensorNameEditor::Edit(TemperatureSensor& sensor, LStaticText& namePane)
{
    if (mField != nullptr)
        Finish(true);
    QWidget* pane = namePane.GetWidget();
    auto* field = new QLineEdit(pane->parentWidget());
    mField = field;
    mKey = sensor.GetStableKey();
    // Over the name, in its font, without a frame: a row is no taller than its text.
    field->setFrame(false);
    field->setFont(pane->font());
    field->setGeometry(pane->geometry());
    field->setText(QString::fromStdString(sensor.GetShownName()));
    field->setPlaceholderText(QString::fromStdString(sensor.GetSensorName()));
    field->setToolTip(QStringLiteral("Return keeps the name, Escape leaves it; an empty name gives back \"%1\"")
                          .arg(QString::fromStdString(sensor.GetSensorName())));
    field->selectAll();
    field->installEventFilter(this);
    connect(field, &QLineEdit::editingFinished, this, [this] { Finish(true); });
    field->show();
    field->setFocus(Qt::OtherFocusReason);
}

void SensorNameEditor::Finish(bool keep)
{
    // Renaming rebuilds the rows, and a field losing its focus on the way reports again: one finish a field.
    if (mFinishing || mField == nullptr)
        return;
    mFinishing = true;
    QLineEdit* field = mField;
    mField = nullptr;
    field->removeEventFilter(this);
    field->hide();
    field->deleteLater();
    if (keep) {
        std::string typed = field->text().toStdString();
        LException::ReportAndDrop("renaming a sensor", [&] { mRename(mKey, typed); });
    }
    mFinishing = false;
}
