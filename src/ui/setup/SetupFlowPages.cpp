#include "ui/setup/SetupFlowPages.h"

#include "setup/SetupOutcomeContent.h"
#include "setup/SetupStagePlan.h"
#include "setup/SetupSummary.h"
#include "setup/SetupWorkflowCopy.h"
#include "telemetry/NPSFeedbackHost.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/setup/SetupStagePickers.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/NPSFeedbackCard.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/ScreenPieces.h"
#include "ui/widgets/ShowHook.h"
#include "ui/widgets/SymbolIcon.h"
#include "ui/widgets/TextLabel.h"
#include "ui/widgets/WrappingRow.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace qlan {

namespace {

using Step = SetupFlowModel::Step;

const SpineCopy& spineCopy(const SetupPageContext& context) {
    return SetupWorkflowCopy::spineCopy(context.model->config());
}

QUrl articleURL(const SetupPageContext& context, const QString& path) {
    return SetupWorkflowCopy::articleURL(context.model->config(), path);
}

ScreenScaffold::Options linkingTo(const QUrl& url) {
    ScreenScaffold::Options options;
    options.articleURL = url;
    return options;
}

// A page framed by the common scaffold, both accessibility identifiers absent.
QWidget* framed(const QString& name, const QString& title, const QString& explainer, QWidget* content,
                const ScreenScaffold::Options& options) {
    auto* page = new ScreenScaffold(title, explainer, content, options);
    page->setObjectName(name);
    return page;
}

QWidget* identified(QWidget* widget, const QString& identifier) {
    setAccessibilityIdentifier(widget, identifier);
    return widget;
}

ProminentButton* prominent(const QString& title, const QString& identifier = {}) {
    auto* button = new ProminentButton(title);
    if (!identifier.isEmpty()) setAccessibilityIdentifier(button, identifier);
    return button;
}

// A button in the default style at the large control size.
QPushButton* large(const QString& title, const QString& identifier) {
    auto* button = new QPushButton(title);
    applyControlSize(button, ControlSize::large);
    setAccessibilityIdentifier(button, identifier);
    return button;
}

// An action of a page that acts only while the model still shows the page's step, and only once.
std::function<void()> once(const SetupPageContext& context, std::function<void()> action) {
    QPointer<SetupFlowModel> model = context.model;
    auto acted = std::make_shared<bool>(false);
    return [model, step = context.model->step(), acted, action = std::move(action)] {
        if (*acted || !model || model->step() != step) return;
        *acted = true;
        action();
    };
}

// An action that acts as often as pressed, but only while the model still shows the page's step and is
// not about to leave it (the Mac checked again after a batch).
std::function<void()> whileShown(const SetupPageContext& context, std::function<void()> action) {
    QPointer<SetupFlowModel> model = context.model;
    return [model, step = context.model->step(), action = std::move(action)] {
        if (model && model->step() == step && !model->isRefreshing()) action();
    };
}

void onClick(QAbstractButton* button, std::function<void()> action) {
    QObject::connect(button, &QAbstractButton::clicked, button, [action = std::move(action)] { action(); });
}

// ---- The stage screen ----

class SetupStagePage : public QWidget {
public:
    explicit SetupStagePage(const SetupPageContext& context)
        : context_(context)
        , stepID_(context.model->step().domainID) {
        setObjectName(QStringLiteral("setup-stage"));
        layout_ = new QVBoxLayout(this);
        layout_->setContentsMargins(0, 0, 0, 0);
        // After every batch, a cancelled one too, the rows are checked again against the Mac. What the
        // model knows of the Mac changes only after a batch, and a refresh after one moves the flow on:
        // until it has, the stage's controls start nothing and show so.
        connect(context.model, &SetupFlowModel::batchEnded, this, &SetupStagePage::rebuild);
        connect(context.model, &SetupFlowModel::refreshingChanged, this, [this] {
            if (actions_) setActionsEnabled(actions_, !context_.model->isRefreshing());
        });
        rebuild();
        // The workflow screen tells the model that the stage appeared, once per page.
    }

private:
    void rebuild() {
        // The picker of the content built before, which the new one takes the place of (it is deleted only
        // once control returns to the event loop).
        const QPointer<QWidget> replaced =
            frame_ ? frame_->findChild<QWidget*>(QStringLiteral("setup-stage-picker")) : nullptr;
        if (frame_) retireScreen(layout_, std::exchange(frame_, nullptr));
        const SetupFlowModel& model = *context_.model;
        const auto plan = SetupStagePlan::make(stepID_, model, *model.services().fs, model.config());
        if (!plan) return;
        ScreenScaffold::Options options = linkingTo(plan->articleURL);
        actions_ = content(*plan, replaced);
        if (actions_) setActionsEnabled(actions_, !model.isRefreshing());
        frame_ = new ScreenScaffold(plan->title, plan->explainer, actions_, options);
        placeScreen(layout_, frame_);
    }

    QWidget* content(const SetupStagePlan& plan, const QWidget* replacedPicker) {
        using Content = SetupStagePlan::Content;
        if (plan.content == Content::nothing) return nullptr;
        auto* box = new QWidget;
        auto* items = column(box, 12);
        SetupFlowModel* model = context_.model;
        const QString stepID = stepID_;
        if (plan.content == Content::blocked) {
            items->addWidget(secondaryText(plan.blockedDetail, TextRole::callout));
            auto* next = prominent(QStringLiteral("Continue"));
            onClick(next, whileShown(context_, [model, stepID] { model->advancePastDomain(stepID); }));
            addWithSpace(items, next, 0);
            return box;
        }
        if (plan.gated) {
            items->addWidget(secondaryText(SetupStagePlan::gateMessage(), TextRole::callout));
            if (plan.offersHomebrewStep) {
                auto* install = prominent(SetupStagePlan::installHomebrewFirstLabel());
                onClick(install, whileShown(context_, [model] {
                            model->setStep(Step::stage(QStringLiteral("homebrew")));
                        }));
                addWithSpace(items, install, 0);
            }
        } else if (plan.specialKind) {
            if (const auto* grouped = std::get_if<SpineRenderPolicy::GroupedInstall>(&*plan.specialKind)) {
                auto* button = prominent(grouped->title, grouped->accessibilityID);
                onClick(button, whileShown(context_, [model, kind = *grouped, list = plan.remediations] {
                            model->request({kind.installID, kind.title, list, false});
                        }));
                addWithSpace(items, button, 0);
            } else {
                items->addWidget(makeSpecialStagePicker(
                    {context_, stepID, *plan.specialKind, plan.remediations, replacedPicker}));
            }
        } else {
            for (const SetupStagePlan::Row& row : plan.rows)
                items->addWidget(remediationRow(row));
        }
        auto* skip = borderlessButton(SetupStagePlan::skipLabel());
        setAccessibilityIdentifier(skip, QStringLiteral("stage-skip"));
        onClick(skip, whileShown(context_, [model, stepID] { model->dismissOffer(stepID); }));
        addWithSpace(items, skip, 0);
        if (plan.footer && !plan.footer->isEmpty())
            items->addWidget(secondaryText(*plan.footer, TextRole::footnote));
        return box;
    }

    QWidget* remediationRow(const SetupStagePlan::Row& row) {
        auto* box = new QWidget;
        box->setObjectName(row.remediation.id());
        auto* items = column(box, 4);
        auto* button = prominent(row.remediation.displayLabel());
        onClick(button,
                whileShown(context_, [model = context_.model, stepID = stepID_, fix = row.remediation] {
                    model->startRemediation(stepID, fix);
                }));
        addWithSpace(items, button, 0);
        if (!row.caption.isEmpty()) items->addWidget(secondaryText(row.caption, TextRole::footnote));
        return box;
    }

    SetupPageContext context_;
    QString stepID_;
    QVBoxLayout* layout_;
    QWidget* frame_ = nullptr;
    QPointer<QWidget> actions_; // the stage's content: its buttons, pickers and Skip
};

// ---- The outcome content ----

class SetupOutcomeSection : public QWidget {
public:
    explicit SetupOutcomeSection(const SetupPageContext& context)
        : context_(context) {
        setObjectName(QStringLiteral("setup-outcome-content"));
        layout_ = new QVBoxLayout(this);
        layout_->setContentsMargins(0, 0, 0, 0);
        connect(context.model, &SetupFlowModel::verifyResultChanged, this, &SetupOutcomeSection::rebuild);
        connect(context.model, &SetupFlowModel::profileChanged, this, &SetupOutcomeSection::rebuild);
        rebuild();
    }

private:
    void rebuild() {
        if (body_) {
            layout_->removeWidget(body_);
            body_->hide();
            body_->deleteLater();
        }
        const SetupFlowModel& model = *context_.model;
        body_ = build(SetupOutcomeContent::make(model, *model.services().fs, model.config()));
        layout_->addWidget(body_);
    }

    QWidget* build(const SetupOutcomeContent& content) {
        auto* box = new QWidget;
        auto* items = column(box, 16);
        if (content.passed) {
            auto* checklist = identified(new QWidget, QStringLiteral("outcome-checklist"));
            checklist->setAccessibleName(QStringLiteral("Verified items"));
            auto* rows = column(checklist, 8);
            for (const QString& item : content.checklist)
                rows->addWidget(checklistRow(item));
            items->addWidget(checklist);
        } else if (content.rawOutput) {
            auto* output = new TextLabel(*content.rawOutput);
            TypeScale::applyMonospaced(output, TextRole::caption);
            TypeScale::applySecondaryStyle(output);
            output->setSelectable(true);
            output->setObjectName(QStringLiteral("outcome-raw-output"));
            items->addWidget(output);
        }
        items->addSpacing(4);
        items->addWidget(identified(secondaryText(content.tip, TextRole::callout),
                                    QStringLiteral("outcome-agent-suggestion")));
        if (content.showsActionsRow()) items->addWidget(actionsRow(content));
        items->addSpacing(4);
        items->addWidget(new TextLabel(content.question));

        auto* resolved = prominent(QStringLiteral("Yes, all set"), QStringLiteral("outcome-resolved"));
        auto* notQuite = large(QStringLiteral("Not quite"), QStringLiteral("outcome-blocked"));
        onClick(resolved, [this] { answer(QStringLiteral("resolved")); });
        onClick(notQuite, [this] { answer(QStringLiteral("not_resolved")); });
        items->addWidget(new WrappingRow({resolved, notQuite}));
        return box;
    }

    static QWidget* checklistRow(const QString& item) {
        auto* row = new QWidget;
        row->setObjectName(item);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        // The symbol lines up with the first line's baseline, however many lines the text takes.
        layout->addWidget(new SymbolIcon(Symbol::checkmarkCircleFill, SystemColor::green, TextRole::body), 0,
                          Qt::AlignTop);
        layout->addWidget(new TextLabel(item), 1, Qt::AlignTop);
        return row;
    }

    QWidget* actionsRow(const SetupOutcomeContent& content) {
        QList<QWidget*> buttons;
        for (const SetupOutcomeContent::AppButton& app : content.apps) {
            auto* button = borderedButton(app.label);
            setAccessibilityIdentifier(button, app.accessibilityID);
            onClick(button, [this, appName = app.appName] { openApplication(appName); });
            buttons.append(button);
        }
        if (!content.exampleFolders.isEmpty()) {
            auto* show = borderedButton(QStringLiteral("Show Example Projects"));
            setAccessibilityIdentifier(show, QStringLiteral("show-example-projects"));
            onClick(show, [this, folders = content.exampleFolders] {
                DesktopActions::of(this)->revealInFileManager(folders);
            });
            buttons.append(show);
        }
        QWidget* row = new WrappingRow(buttons);
        row->setObjectName(QStringLiteral("outcome-actions"));
        return row;
    }

    void openApplication(const QString& appName) {
        const auto path = SetupOutcomeContent::applicationPath(appName, *context_.model->services().fs);
        if (!path) return;
        SetupOutcomeContent::reportAppOpened(appName, context_.telemetry);
        DesktopActions::of(this)->openApplication(*path);
    }

    // One answer per visit of the step, however often the buttons are pressed.
    void answer(const QString& selfReport) {
        if (answered_) return;
        answered_ = context_.model->resolveOutcome(selfReport);
    }

    SetupPageContext context_;
    bool answered_ = false;
    QVBoxLayout* layout_;
    QWidget* body_ = nullptr;
};

} // namespace

QWidget* makeDiagnosisSummaryPage(const SetupPageContext& context) {
    const SpineCopy& copy = spineCopy(context);
    auto* content = new QWidget;
    auto* items = column(content, 10);
    const QStringList rows = SetupSummary::rows(context.model->workflow(), context.model->config());
    for (int position = 0; position < rows.size(); ++position) {
        auto* row = new TextLabel(rows[position]);
        row->setObjectName(QStringLiteral("summary-row-%1").arg(position));
        items->addWidget(row);
    }
    auto* next = prominent(QStringLiteral("Continue"), QStringLiteral("diagnosis-continue"));
    onClick(next, once(context, [model = context.model] { model->continueFromDiagnosis(); }));
    addWithSpace(items, next, 8);
    return framed(QStringLiteral("setup-diagnosis-summary"), copy.diagnosisHeadline, copy.diagnosisFooter,
                  content, linkingTo(articleURL(context, copy.diagnosisArticlePath)));
}

QWidget* makeReadinessWarningPage(const SetupPageContext& context) {
    const auto& warning = context.model->step().warning;
    if (!warning) return new QWidget;
    const ReadinessScreenCopy copy = SetupSummary::warningCopy(*warning);
    auto* proceed = prominent(copy.continueLabel, QStringLiteral("readiness-continue"));
    auto* stop = large(copy.stopLabel, QStringLiteral("readiness-stop"));
    SetupFlowModel* model = context.model;
    onClick(proceed, once(context, [model] { model->continueAfterWarning(); }));
    onClick(stop, once(context, [model] { model->stopAtWarning(); }));
    return framed(QStringLiteral("setup-readiness-warning"), copy.headline, copy.body,
                  new WrappingRow({proceed, stop}), ScreenScaffold::Options::withoutArticleLink());
}

QWidget* makeInterstitialPage(const SetupPageContext& context) {
    const auto toVerifying = [model = context.model] { model->setStep(Step::verifying()); };
    const auto& interstitial = context.model->config().spinePolicy.postPrimaryInterstitial;
    if (!interstitial) {
        // Nothing to show: on to verification as soon as the page is on screen.
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("setup-interstitial"));
        const auto next = once(context, toVerifying);
        onEveryShow(page, [page, next] { QTimer::singleShot(0, page, next); });
        return page;
    }
    auto* content = new QWidget;
    auto* items = column(content, 16);
    auto* proceed = prominent(interstitial->buttonLabel, QStringLiteral("paid-plan-continue"));
    onClick(proceed, once(context, toVerifying));
    addWithSpace(items, proceed, 0);
    if (interstitial->disclosure)
        items->addWidget(secondaryText(*interstitial->disclosure, TextRole::footnote));
    return framed(QStringLiteral("setup-interstitial"), interstitial->headline, interstitial->body, content,
                  linkingTo(articleURL(context, interstitial->articlePath)));
}

QWidget* makeVerifyingPage(const SetupPageContext& context) {
    auto* title = secondaryText(spineCopy(context).verifyingTitle, TextRole::body);
    title->setAlignment(Qt::AlignCenter);
    QWidget* page = centredActivityPage(ControlSize::large, title);
    page->setObjectName(QStringLiteral("setup-verifying"));
    // The verifier runs once, when the page first comes on screen.
    const auto verify = once(context, [model = context.model] { model->runVerification(); });
    onEveryShow(page, [page, verify] { QTimer::singleShot(0, page, verify); });
    return page;
}

QWidget* makeKeepGoingPage(const SetupPageContext& context) {
    const SpineCopy& copy = spineCopy(context);
    auto* keepGoing = prominent(QStringLiteral("Keep going"), QStringLiteral("keep-going"));
    auto* finish = large(QStringLiteral("Finish here"), QStringLiteral("finish-here"));
    onClick(keepGoing, once(context, [model = context.model] { model->advanceToOptional(); }));
    onClick(finish, once(context, [model = context.model] { model->setStep(Step::outcome()); }));
    return framed(QStringLiteral("setup-keep-going"), copy.continueHeadline, copy.continueBody,
                  new WrappingRow({keepGoing, finish}), linkingTo(articleURL(context, QString())));
}

QWidget* makeStagePage(const SetupPageContext& context) {
    return new SetupStagePage(context);
}

QWidget* makeOutcomeContent(const SetupPageContext& context) {
    return new SetupOutcomeSection(context);
}

QWidget* makeFeedbackContent(const SetupPageContext& context) {
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("setup-feedback-content"));
    auto* items = column(content, 16);
    auto host = std::make_shared<NPSFeedbackHost>(context.model->config().userDefaultsPrefix,
                                                  context.model->services().store, context.telemetry);
    QPointer<SetupFlowModel> model = context.model;
    const auto resolved = [model] {
        if (model) model->setNpsResolved(true);
    };
    items->addWidget(new NPSFeedbackCard(host, resolved, resolved));
    auto* done = prominent(QStringLiteral("Done"), QStringLiteral("nps-done"));
    done->bindToReturn();
    onClick(done, once(context, [model, host] {
                if (model) model->finishFeedback(*host);
            }));
    addWithSpace(items, done, 0);
    return content;
}

} // namespace qlan
