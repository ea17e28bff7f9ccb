// Renaming a sensor where its name shows: a double click on a row of a data window opens a field over the
// row's name; Return or a click elsewhere gives the sensor the typed name (an empty one restores the
// hardware's), Escape leaves the name as it was.
#pragma once

#include <QLineEdit>
#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

class LStaticText;
class QWidget;
class TemperatureSensor;

class SensorNameEditor : public QObject {
public:
    struct Row {
        TemperatureSensor* sensor = nullptr;
        LStaticText* namePane = nullptr;
    };
    // The row under a point of the rows' widget; a null sensor where there is none (the header).
    using RowAt = std::function<Row(QWidget* rows, const QPoint& at)>;
    // Given the sensor's key and the name typed.
    using Rename = std::function<void(const std::string& key, const std::string& typed)>;

    // Hears double clicks on rows, the widget that holds the rows' panes.
    SensorNameEditor(QWidget* rows, RowAt rowAt, Rename rename);
    ~SensorNameEditor() override;

    // Opens the field over the name pane, holding the sensor's shown name, selected.
    void Edit(TemperatureSensor& sensor, LStaticText& namePane);
    // The open field, or null.
    QLineEdit* GetField() const { return mField; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Finish(bool keep);

    QWidget* mRows;
    RowAt mRowAt;
    Rename mRename;
    QPointer<QLineEdit> mField;
    std::string mKey;
    bool mFinishing = false;
};
