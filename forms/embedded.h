#pragma once

// Within the forms runtime: forms and message boxes drawn inside the one window of the
// program (see embeddedForms() in forms.h).

class QEventLoop;
class QWidget;

namespace Forms
{

// Puts a form or a box into a frame of its own, a child of the surface: the frame draws
// the title, follows the content's size and is shown and hidden with it.
void embedInFrame(QWidget *content, QWidget *surface);

// Shows embedded content modally over its owner until the loop ends: only it takes clicks
// and keys meanwhile, and the keys go back where they were afterwards.
void runEmbeddedModal(QWidget *content, QWidget *owner, QEventLoop &loop);

// Shows embedded content over its owner's middle, above the rest, with the keys.
void showEmbedded(QWidget *content, QWidget *owner);

} // namespace Forms
