// Stand-ins for views whose parts are not built in: the defect list (101)
// and the statistics (1065) show a caption until the real views exist.
#pragma once

#include <QWidget>

class QLabel;
class CAppContext;

class CPlaceholderView : public QWidget {
    Q_OBJECT
public:
    CPlaceholderView(CAppContext& context, int viewId, int textId, QWidget* parent);

public slots:
    void LocalizeCaptions();
    void OnRefresh() { ++m_refreshCount; }

public:
    int m_refreshCount = 0;

private:
    CAppContext& m_context;
    int m_textId;
    QLabel* m_caption;
};

class CDefectListPlaceholder : public CPlaceholderView {
    Q_OBJECT
public:
    CDefectListPlaceholder(CAppContext& context, QWidget* parent);
};

class CStatisticsPlaceholder : public CPlaceholderView {
    Q_OBJECT
public:
    CStatisticsPlaceholder(CAppContext& context, QWidget* parent);
};
