#include "ui/CameraPreviewSection.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "camera/CameraDevice.h"
#include "catalogue/DeviceEventLog.h"
#include "platform/DeviceFramework.h"
#include "ui/CameraPreviewView.h"
#include "ui/CentredMessage.h"
#include "ui/OnScreenWatch.h"
#include "ui/UiFonts.h"
#include "ui/WindowState.h"

namespace tavrin {

namespace {

constexpr qreal cornerRadius = 8;
const QColor gradientStart = QColor::fromRgbF(0.10f, 0.12f, 0.16f);
const QColor gradientEnd = QColor::fromRgbF(0.05f, 0.07f, 0.10f);
const QColor lightText(255, 255, 255, 200);

}  // namespace

CameraPreviewSection::CameraPreviewSection(std::shared_ptr<CameraDevice> camera, WindowState& state,
                                           SXAuthorizationStatus& authorization,
                                           DeviceEventLog& log, DeviceFramework& framework,
                                           QWidget* parent)
    : QWidget(parent),
      camera_(std::move(camera)),
      state_(state),
      authorization_(authorization),
      log_(log),
      framework_(framework),
      onScreen_(new OnScreenWatch(this)) {
    setAccessibleName(QStringLiteral("Camera Preview"));
    connect(onScreen_, &OnScreenWatch::onScreenChanged, this, &CameraPreviewSection::updatePreview);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(heightForWidth(sizeHint().width()));
    pages_ = new QStackedLayout(this);
    accessPage_ = makeAccessPage();
    previewPage_ = makePreviewPage();
    offPage_ = makeOffPage();
    for (auto* page : {accessPage_, previewPage_, offPage_}) {
        pages_->addWidget(page);
    }

    connect(&state_, &WindowState::cameraPreviewEnabledChanged, this, [this] {
        updatePreview();
        refresh();
    });
    // Mirroring is the view's business: the stream goes on as it is.
    connect(&state_, &WindowState::cameraPreviewMirroredChanged, this,
            [this] { picture_->setMirrored(state_.isCameraPreviewMirrored()); });
    picture_->setMirrored(state_.isCameraPreviewMirrored());
    authorizationSubscription_ = authorization_.isAuthorized.subscribe([this](bool authorized) {
        if (authorized == isAuthorized_) {
            return;
        }
        isAuthorized_ = authorized;
        updatePreview();
        refresh();
    });
    refresh();
}

QWidget* CameraPreviewSection::makeAccessPage() {
    allow_ = makeLargeButton(QStringLiteral("Allow Camera Access"), {}, nullptr);
    connect(allow_, &QPushButton::clicked, this,
            [this] { authorization_.requestAccess(true, {}); });
    return CentredMessage{QStringLiteral("video.slash.fill"),
                          40,
                          lightText,
                          QStringLiteral("Camera access required to show preview."),
                          lightText,
                          12}
        .make(allow_, this);
}

QWidget* CameraPreviewSection::makePreviewPage() {
    auto* page = new QWidget(this);
    auto* layout = new QStackedLayout(page);
    layout->setStackingMode(QStackedLayout::StackAll);
    picture_ = new CameraPreviewView(page);
    failure_ = new QLabel(page);
    failure_->setTextFormat(Qt::PlainText);
    failure_->setFont(uiFont(FontRole::callout));
    failure_->setAlignment(Qt::AlignCenter);
    failure_->setWordWrap(true);
    auto palette = failure_->palette();
    palette.setColor(QPalette::WindowText, lightText);
    failure_->setPalette(palette);
    failure_->hide();
    layout->addWidget(picture_);
    layout->addWidget(failure_);
    return page;
}

QWidget* CameraPreviewSection::makeOffPage() {
    enable_ =
        makeLargeButton(QStringLiteral("Enable Camera"), QStringLiteral("video.fill"), nullptr);
    connect(enable_, &QPushButton::clicked, this, &CameraPreviewSection::enablePreview);
    return CentredMessage{QStringLiteral("video.slash"), 36, QColor(255, 255, 255, 140), {}, {}, 12}
        .make(enable_, this);
}

void CameraPreviewSection::enablePreview() {
    state_.setCameraPreviewEnabled(true);
    log_.record(camera_->localizedName() + QStringLiteral(" preview started"),
                QStringLiteral("App"), camera_->uuid());
}

int CameraPreviewSection::heightForWidth(int width) const {
    return std::clamp(width * 9 / 16, minimumPictureHeight, maximumPictureHeight);
}

QSize CameraPreviewSection::sizeHint() const {
    return QSize(640, heightForWidth(640));
}

CameraPreviewSection::~CameraPreviewSection() {
    // The widget's own destructor hides it after the preview is gone: nothing may answer that.
    delete onScreen_;
}

void CameraPreviewSection::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A 16:9 picture at the page's width, within bounds; the page's layout has no height for
    // width of its own, so the section sets its height as its width changes.
    //
    // In a page that scrolls, the width also follows the scroll bar, which shows by the height:
    // a taller picture brings the bar, the narrower picture is shorter, the bar goes, and so on
    // without end. A width that grows by no more than a scroll bar keeps the height it had.
    const int grown = width() - sizedForWidth_;
    if (sizedForWidth_ >= 0 && grown > 0 &&
        grown <= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)) {
        return;
    }
    sizedForWidth_ = width();
    const int wanted = heightForWidth(width());
    if (height() != wanted) {
        setFixedHeight(wanted);
    }
}

void CameraPreviewSection::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

CameraPreviewSection::Content CameraPreviewSection::content() const {
    if (!isAuthorized_) {
        return Content::access;
    }
    return state_.isCameraPreviewEnabled() ? Content::preview : Content::off;
}

QString CameraPreviewSection::failureText() const {
    return failure_->isHidden() ? QString() : failure_->text();
}

void CameraPreviewSection::updatePreview() {
    const bool shouldRun = onScreen_->isOnScreen() && content() == Content::preview;
    if (shouldRun == preview_.isActive()) {
        return;
    }
    if (!shouldRun) {
        preview_.cancel();
        picture_->clear();
        return;
    }
    failure_->hide();
    CameraPreviewRequest request;
    request.cameraID = camera_->id();
    preview_ = framework_.startCameraPreview(
        request, [this](const PreviewFrame& frame) { picture_->setFrame(frame); },
        [this](const QString& reason) {
            picture_->clear();
            failure_->setText(reason);
            failure_->show();
        });
}

void CameraPreviewSection::refresh() {
    const auto shown = content();
    pages_->setCurrentWidget(shown == Content::access    ? accessPage_
                             : shown == Content::preview ? previewPage_
                                                         : offPage_);
}

void CameraPreviewSection::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
    gradient.setColorAt(0, gradientStart);
    gradient.setColorAt(1, gradientEnd);
    painter.fillPath(shape, gradient);
}

}  // namespace tavrin
