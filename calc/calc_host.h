// The Calc host: office spreadsheet documents that carry the host's data
// (custom properties "KassaHost.NNN") are taken on when they load and kept
// in step with their workbooks in one process-wide host model, where the
// system's components work on them (see document_adapter.h).
//
// Called on the office's main thread only.
#pragma once

#include <com/sun/star/frame/XModel.hpp>
#include <memory>
#include <vector>

#include "calc/document_adapter.h"
#include "calc/office.h"
#include "platform/host/host.h"

namespace kassa::calc {

// A document finished loading (the open job): a workbook of the host is
// taken on, any other document is left alone. Before the first workbook the
// office's own user interface becomes the UI port, unless a program already
// installed one (the scenario runner).
void DocumentLoaded(const Reference<css::frame::XModel>& model);

// Whether the document carries the host's data.
bool IsHostDocument(const Reference<css::frame::XModel>& model);

// The adapter following `model`, or null.
std::shared_ptr<DocumentAdapter> FindAdapter(const Reference<css::frame::XModel>& model);
std::vector<std::shared_ptr<DocumentAdapter>> Adapters();

// The host model of every taken-on document.
host::Application& HostApplication();

// Brings every document up to date with its workbook.
void SyncAll();

}  // namespace kassa::calc
