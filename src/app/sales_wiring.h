#pragma once
// Hands the sales jobs to the window: the order report fetch (按钮_取订单1 / 按钮停止3) and the
// recipient address query (按钮_查询详情1 / 按钮停止4).

#include <memory>

namespace dropship {

class MainWindow;
class HttpClient;

// http is shared by the jobs' threads and must stay usable while a job may still run.
void wireSalesJobs(MainWindow& window, std::shared_ptr<HttpClient> http);

} // namespace dropship
