// A user interface that answers every question with its default and shows nothing, for benchmarks.
#pragma once

#include "ui.h"

class NullUi : public vellum::Ui {
public:
    vellum::Answer messageBox(std::string_view, std::string_view, vellum::Buttons b, vellum::Icon,
                              vellum::Ask kind) override {
        if (b == vellum::Buttons::OK) return vellum::Answer::OK;
        return kind == vellum::Ask::UnknownRecord ? vellum::Answer::Cancel : vellum::Answer::No;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view d) override {
        return std::string(d);
    }
    void editResponse(vellum::ResponseEdit&) override {}
    void editResult(vellum::ResultEdit& e) override { e.fiAccept = "2"; }
    void setProgress(double) override {}
    void appendLog(std::string_view) override {}
};
