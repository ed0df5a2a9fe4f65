<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ConnectDialog</name>
    <message>
        <source> ms</source>
        <translation> 毫秒</translation>
    </message>
    <message>
        <source>Connect to Controller</source>
        <translation>连接控制器</translation>
    </message>
    <message>
        <source>Simulated</source>
        <translation>仿真</translation>
    </message>
    <message>
        <source>Modbus TCP</source>
        <translation>Modbus TCP</translation>
    </message>
    <message>
        <source>&amp;Controller:</source>
        <translation>控制器(&amp;C)：</translation>
    </message>
    <message>
        <source>&amp;Host:</source>
        <translation>主机(&amp;H)：</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>端口(&amp;P)：</translation>
    </message>
    <message>
        <source>&amp;Unit id:</source>
        <translation>单元号(&amp;U)：</translation>
    </message>
    <message>
        <source>Poll &amp;interval:</source>
        <translation>轮询间隔(&amp;I)：</translation>
    </message>
    <message>
        <source>Response &amp;timeout:</source>
        <translation>响应超时(&amp;T)：</translation>
    </message>
    <message>
        <source>C&amp;onnect</source>
        <translation>连接(&amp;O)</translation>
    </message>
</context>
<context>
    <name>ControllerSettings</name>
    <message>
        <source>Cannot connect to &quot;%1&quot;: %2</source>
        <translation>无法连接到“%1”：%2</translation>
    </message>
    <message>
        <source>expected modbus-tcp://HOST:PORT?unit=N or simulated.</source>
        <translation>应为 modbus-tcp://主机:端口?unit=N 或 simulated。</translation>
    </message>
    <message>
        <source>the port must be from 1 to 65535.</source>
        <translation>端口必须在 1 到 65535 之间。</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;.</source>
        <translation>未知选项“%1”。</translation>
    </message>
    <message>
        <source>%1 must be a number from %2 to %3.</source>
        <translation>%1 必须是 %2 到 %3 之间的数。</translation>
    </message>
    <message>
        <source>the simulated controller</source>
        <translation>仿真控制器</translation>
    </message>
    <message>
        <source>%1:%2 (unit %3)</source>
        <translation>%1:%2（单元 %3）</translation>
    </message>
</context>
<context>
    <name>ControllerTransfer</name>
    <message>
        <source>Online with %1</source>
        <translation>已与%1在线</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>离线</translation>
    </message>
    <message>
        <source>Reconnecting… %1</source>
        <translation>正在重新连接… %1</translation>
    </message>
    <message>
        <source>Connecting to %1…</source>
        <translation>正在连接 %1…</translation>
    </message>
</context>
<context>
    <name>CrossReference</name>
    <message>
        <source>Symbol</source>
        <translation>符号</translation>
    </message>
    <message>
        <source>Used at</source>
        <translation>使用位置</translation>
    </message>
    <message>
        <source>Cross Reference</source>
        <translation>交叉引用</translation>
    </message>
    <message>
        <source>No project is open.</source>
        <translation>没有打开的项目。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a symbol of project %2.</source>
        <translation>“%1”不是项目 %2 的符号。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no references.</source>
        <translation>“%1”没有引用。</translation>
    </message>
</context>
<context>
    <name>ModbusChannel</name>
    <message>
        <source>illegal function</source>
        <translation>非法功能</translation>
    </message>
    <message>
        <source>illegal data address</source>
        <translation>非法数据地址</translation>
    </message>
    <message>
        <source>illegal data value</source>
        <translation>非法数据值</translation>
    </message>
    <message>
        <source>server device failure</source>
        <translation>从站设备故障</translation>
    </message>
    <message>
        <source>server device busy</source>
        <translation>从站设备忙</translation>
    </message>
    <message>
        <source>gateway path unavailable</source>
        <translation>网关路径不可用</translation>
    </message>
    <message>
        <source>gateway target failed to respond</source>
        <translation>网关目标设备无响应</translation>
    </message>
    <message>
        <source>code %1</source>
        <translation>代码 %1</translation>
    </message>
    <message>
        <source>the device closed the connection</source>
        <translation>设备关闭了连接</translation>
    </message>
    <message>
        <source>the connection was closed</source>
        <translation>连接已关闭</translation>
    </message>
    <message>
        <source>there is no connection</source>
        <translation>没有连接</translation>
    </message>
    <message>
        <source>the device sent a frame header that cannot be right (protocol %1, length %2), so the answers after it could not be told apart</source>
        <translation>设备发送的帧头不可能正确（协议 %1，长度 %2），之后的应答无法分辨</translation>
    </message>
    <message>
        <source>Modbus exception %1 (%2)</source>
        <translation>Modbus 异常 %1（%2）</translation>
    </message>
    <message>
        <source>the device answered as unit %1 where unit %2 was asked</source>
        <translation>设备以单元 %1 应答，而请求的是单元 %2</translation>
    </message>
    <message>
        <source>the device answered function %1 to a read of function %2</source>
        <translation>设备对功能码 %2 的读取以功能码 %1 应答</translation>
    </message>
    <message>
        <source>the device answered function %1 to a write of function %2</source>
        <translation>设备对功能码 %2 的写入以功能码 %1 应答</translation>
    </message>
    <message>
        <source>the device&apos;s answer is malformed: it announces %1 bytes and carries %2</source>
        <translation>设备的应答格式错误：声明 %1 个字节，实际携带 %2 个</translation>
    </message>
    <message>
        <source>the device answered %1 bytes where %2 were asked for</source>
        <translation>设备应答了 %1 个字节，而请求的是 %2 个</translation>
    </message>
    <message>
        <source>the device&apos;s answer to a write is malformed: %1 bytes where 4 belong</source>
        <translation>设备对写入的应答格式错误：应为 4 个字节，实际 %1 个</translation>
    </message>
    <message>
        <source>the device confirmed a write to address %1 where %2 was written</source>
        <translation>设备确认写入地址 %1，而写入的是地址 %2</translation>
    </message>
    <message>
        <source>the device confirmed other data than was written to address %1</source>
        <translation>设备确认的数据与写入地址 %1 的数据不同</translation>
    </message>
    <message>
        <source>%1 requests in a row went unanswered or were answered wrongly</source>
        <translation>连续 %1 个请求无应答或应答错误</translation>
    </message>
    <message>
        <source>no answer within %1 ms</source>
        <translation>%1 毫秒内无应答</translation>
    </message>
    <message>
        <source>an answer stopped part way, so the answers after it could not be told apart</source>
        <translation>一个应答只传来一部分，之后的应答无法分辨</translation>
    </message>
    <message>
        <source>the device answered transaction %1 where %2 was asked</source>
        <translation>设备以事务 %1 应答，而请求的是事务 %2</translation>
    </message>
</context>
<context>
    <name>ModbusTcpLink</name>
    <message>
        <source>The connection to %1 was lost: %2</source>
        <translation>与 %1 的连接已断开：%2</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>无法连接到 %1：%2</translation>
    </message>
    <message>
        <source>the project %1 is not open.</source>
        <translation>项目 %1 未打开。</translation>
    </message>
    <message>
        <source>%1 is not online.</source>
        <translation>%1 未在线。</translation>
    </message>
    <message>
        <source>the address lies in no Modbus table of the device.</source>
        <translation>该地址不在设备的任何 Modbus 表中。</translation>
    </message>
    <message>
        <source>the device&apos;s inputs cannot be written.</source>
        <translation>设备的输入不能写入。</translation>
    </message>
    <message>
        <source>the value does not fit the address.</source>
        <translation>该值与地址不符。</translation>
    </message>
    <message>
        <source>the connection was lost.</source>
        <translation>连接已断开。</translation>
    </message>
    <message>
        <source>the connection to %1 is being restored.</source>
        <translation>正在恢复与 %1 的连接。</translation>
    </message>
</context>
<context>
    <name>ModelCommand</name>
    <message>
        <source>Add watch list %1</source>
        <translation>添加监视列表 %1</translation>
    </message>
    <message>
        <source>Remove watch list %1</source>
        <translation>删除监视列表 %1</translation>
    </message>
    <message>
        <source>Rename watch list %1 to %2</source>
        <translation>将监视列表 %1 重命名为 %2</translation>
    </message>
</context>
<context>
    <name>ProjectDocuments</name>
    <message>
        <source>The project file &quot;%1&quot; cannot be opened: %2</source>
        <translation>无法打开项目文件“%1”：%2</translation>
    </message>
    <message>
        <source>a project named &quot;%1&quot; is already open.</source>
        <translation>名为“%1”的项目已经打开。</translation>
    </message>
    <message>
        <source>it names no device (the member &quot;device&quot; is missing or empty).</source>
        <translation>其中没有指定设备（成员“device”缺失或为空）。</translation>
    </message>
    <message>
        <source>its device &quot;%1&quot; is not one this workbench knows (%2).</source>
        <translation>本工作台不认识其设备“%1”（已知设备：%2）。</translation>
    </message>
    <message>
        <source>No project named &quot;%1&quot; is open.</source>
        <translation>没有打开名为“%1”的项目。</translation>
    </message>
</context>
<context>
    <name>ProjectFile</name>
    <message>
        <source>The file is empty.</source>
        <translation>文件为空。</translation>
    </message>
    <message>
        <source>It is not valid JSON (%1 at offset %2).</source>
        <translation>不是有效的 JSON（%1，位于偏移 %2）。</translation>
    </message>
    <message>
        <source>It does not hold a JSON object.</source>
        <translation>其中没有 JSON 对象。</translation>
    </message>
    <message>
        <source>The project file &quot;%1&quot; cannot be written: %2.</source>
        <translation>无法写入项目文件“%1”：%2。</translation>
    </message>
    <message>
        <source> of symbol %1</source>
        <translation>（符号 %1）</translation>
    </message>
    <message>
        <source> of watch list %1</source>
        <translation>（监视列表 %1）</translation>
    </message>
    <message>
        <source>It is not a regular file.</source>
        <translation>它不是普通文件。</translation>
    </message>
    <message>
        <source>It is %1 bytes long, more than the %2 a project file may have.</source>
        <translation>它有 %1 字节，超过了项目文件所允许的 %2。</translation>
    </message>
    <message>
        <source>The member &quot;%1&quot;%2 is not a text.</source>
        <translation>成员“%1”%2不是文本。</translation>
    </message>
    <message>
        <source>The member &quot;%1&quot;%2 is not a list.</source>
        <translation>成员“%1”%2不是列表。</translation>
    </message>
    <message>
        <source>It is not a watch-list workbench project (the member &quot;format&quot; is not &quot;%1&quot;).</source>
        <translation>这不是监视列表工作台项目（成员“format”不是“%1”）。</translation>
    </message>
    <message>
        <source>The member &quot;version&quot; is missing or not a number.</source>
        <translation>成员“version”缺失或不是数字。</translation>
    </message>
    <message>
        <source>The version %1 is not a whole number; this workbench reads version %2.</source>
        <translation>版本 %1 不是整数；本工作台读取版本 %2。</translation>
    </message>
    <message>
        <source>Version %1 is not supported; this workbench reads version %2.</source>
        <translation>不支持版本 %1；本工作台读取版本 %2。</translation>
    </message>
    <message>
        <source>The project has no name.</source>
        <translation>项目没有名称。</translation>
    </message>
    <message>
        <source>The project name &quot;%1&quot; must not contain &quot;.&quot;.</source>
        <translation>项目名称“%1”不能包含“.”。</translation>
    </message>
    <message>
        <source>Symbol %1 is not an object.</source>
        <translation>符号 %1 不是对象。</translation>
    </message>
    <message>
        <source>Symbol %1 has no name.</source>
        <translation>符号 %1 没有名称。</translation>
    </message>
    <message>
        <source>Reference %1 of symbol &quot;%2&quot; is not a text.</source>
        <translation>符号“%2”的引用 %1 不是文本。</translation>
    </message>
    <message>
        <source>The member &quot;softComponents&quot; is not an object.</source>
        <translation>成员“softComponents”不是对象。</translation>
    </message>
    <message>
        <source>The comment of &quot;%1&quot; is not a text.</source>
        <translation>“%1”的注释不是文本。</translation>
    </message>
    <message>
        <source>Watch list %1 is not an object.</source>
        <translation>监视列表 %1 不是对象。</translation>
    </message>
    <message>
        <source>Entry %1 of watch list &quot;%2&quot; is not a text.</source>
        <translation>监视列表“%2”的条目 %1 不是文本。</translation>
    </message>
    <message>
        <source>Watch list %1: %2</source>
        <translation>监视列表 %1：%2</translation>
    </message>
    <message>
        <source>The member &quot;controller&quot; is not an object.</source>
        <translation>成员“controller”不是对象。</translation>
    </message>
    <message>
        <source>Watch list &quot;%1&quot; has %2 entries; a watch list holds at most %3.</source>
        <translation>监视列表“%1”有 %2 个条目；一个监视列表最多容纳 %3 个。</translation>
    </message>
</context>
<context>
    <name>ProjectUndoStacks</name>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Data Type</source>
        <translation>数据类型</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>注释</translation>
    </message>
    <message>
        <source>Symbols</source>
        <translation>符号</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Load Plug-in</source>
        <translation>加载插件</translation>
    </message>
    <message>
        <source>Open Project</source>
        <translation>打开项目</translation>
    </message>
</context>
<context>
    <name>SolutionTree</name>
    <message>
        <source>Solution</source>
        <translation>解决方案</translation>
    </message>
</context>
<context>
    <name>ToolWindowManager</name>
    <message>
        <source>Compile Output</source>
        <translation>编译输出</translation>
    </message>
</context>
<context>
    <name>TrendTool</name>
    <message>
        <source>&amp;Trend of Selected Rows</source>
        <translation>所选行的趋势图(&amp;T)</translation>
    </message>
    <message>
        <source>Trend</source>
        <translation>趋势图</translation>
    </message>
</context>
<context>
    <name>TrendWindow</name>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>10 s</source>
        <translation>10 秒</translation>
    </message>
    <message>
        <source>60 s</source>
        <translation>60 秒</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 分钟</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Export PNG...</source>
        <translation>导出 PNG...</translation>
    </message>
    <message>
        <source>Export CSV...</source>
        <translation>导出 CSV...</translation>
    </message>
    <message>
        <source>Span:</source>
        <translation>时间跨度：</translation>
    </message>
    <message>
        <source>Select rows of a watch-list window to trend their values.</source>
        <translation>请在监视列表窗口中选择要绘制趋势图的行。</translation>
    </message>
    <message>
        <source>Trending the first %1 of %2 rows that hold numbers.</source>
        <translation>在 %2 个数值行中只绘制前 %1 个。</translation>
    </message>
    <message>
        <source>Text values are not trended: %1.</source>
        <translation>文本值不绘制趋势图：%1。</translation>
    </message>
    <message>
        <source>No value to trend for: %1.</source>
        <translation>以下行没有可绘制的值：%1。</translation>
    </message>
    <message>
        <source>Export Trend as PNG</source>
        <translation>将趋势图导出为 PNG</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>PNG 图像 (*.png)</translation>
    </message>
    <message>
        <source>Export Trend as CSV</source>
        <translation>将趋势图导出为 CSV</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>Export Trend</source>
        <translation>导出趋势图</translation>
    </message>
    <message>
        <source>the image cannot be encoded.</source>
        <translation>无法编码该图像。</translation>
    </message>
</context>
<context>
    <name>ValueFormat</name>
    <message>
        <source>Values of this row cannot be written.</source>
        <translation>此行的值不能写入。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a %2 value%3.</source>
        <translation>“%1”不是 %2 值%3。</translation>
    </message>
    <message>
        <source> (0 or 1)</source>
        <translation>（0 或 1）</translation>
    </message>
    <message>
        <source> (a decimal number such as -1.5 or 2e3)</source>
        <translation>（十进制数，如 -1.5 或 2e3）</translation>
    </message>
    <message>
        <source>A %1 value holds at most %2 characters.</source>
        <translation>%1 值最多 %2 个字符。</translation>
    </message>
    <message>
        <source>A STRING value holds only Latin-1 characters.</source>
        <translation>STRING 值只能包含 Latin-1 字符。</translation>
    </message>
    <message>
        <source>%1 does not fit in %2 (%3 to %4).</source>
        <translation>%1 超出 %2 值的范围（%3 到 %4）。</translation>
    </message>
    <message>
        <source> in radix %1</source>
        <translation>（%1 进制）</translation>
    </message>
    <message>
        <source>%1 does not fit in %2 (at most %3).</source>
        <translation>%1 超出 %2 值的范围（最大 %3）。</translation>
    </message>
    <message>
        <source>NaN cannot be written: a %1 value must be a number.</source>
        <translation>不能写入 NaN：%1 值必须是数字。</translation>
    </message>
    <message>
        <source>An infinity cannot be written: a %1 value must be finite.</source>
        <translation>不能写入无穷大：%1 值必须是有限数。</translation>
    </message>
    <message>
        <source>%1 does not fit in %2.</source>
        <translation>%1 超出 %2 值的范围。</translation>
    </message>
    <message>
        <source>%1 is too small for a %2 value: it would be written as 0.</source>
        <translation>%1 对 %2 值而言太小：将被写为 0。</translation>
    </message>
</context>
<context>
    <name>VarTreeWidget</name>
    <message>
        <source>Global</source>
        <translation>全局</translation>
    </message>
    <message>
        <source>Binary</source>
        <translation>二进制</translation>
    </message>
    <message>
        <source>Hexadecimal</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <source>Decimal</source>
        <translation>十进制</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>Data Type</source>
        <translation>数据类型</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>注释</translation>
    </message>
    <message>
        <source>Scope</source>
        <translation>作用域</translation>
    </message>
    <message>
        <source>Show Mode</source>
        <translation>显示格式</translation>
    </message>
    <message>
        <source>Full Name</source>
        <translation>全名</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Reserved</source>
        <translation>保留</translation>
    </message>
    <message>
        <source>Write Value</source>
        <translation>写入值</translation>
    </message>
    <message>
        <source>Nothing was written to %1: %2</source>
        <translation>未向 %1 写入任何内容：%2</translation>
    </message>
    <message>
        <source>The value of %1 was not written: %2</source>
        <translation>%1 的值未写入：%2</translation>
    </message>
    <message>
        <source>the controller has no such address.</source>
        <translation>控制器没有此地址。</translation>
    </message>
    <message>
        <source>binary</source>
        <translation>二进制</translation>
    </message>
    <message>
        <source>octal</source>
        <translation>八进制</translation>
    </message>
    <message>
        <source>hexadecimal</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <source>decimal</source>
        <translation>十进制</translation>
    </message>
    <message>
        <source>no addresses</source>
        <translation>无地址</translation>
    </message>
    <message>
        <source>unknown variable</source>
        <translation>未知变量</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither a symbol of the project nor an address of its device %2.</source>
        <translation>“%1”既不是项目的符号，也不是其设备 %2 的地址。</translation>
    </message>
    <message>
        <source>%1 addresses are %2</source>
        <translation>%1 地址为%2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no address of %2, whose addresses are %3 numbers: %4.</source>
        <translation>“%1”不是 %2 的地址，%2 的地址为%3数：%4。</translation>
    </message>
    <message>
        <source>past the end of %1 (%2)</source>
        <translation>超出 %1 的末尾（%2）</translation>
    </message>
    <message>
        <source>&quot;%1&quot; reaches past the last address of %2; its addresses are %3.</source>
        <translation>“%1”超出 %2 的最后一个地址；其地址为 %3。</translation>
    </message>
    <message>
        <source>nothing may follow a bit address</source>
        <translation>位地址后不能有后缀</translation>
    </message>
    <message>
        <source>%1 holds single bits: &quot;%2&quot; cannot take the suffix &quot;.%3&quot;.</source>
        <translation>%1 存放单个位：“%2”不能带后缀“.%3”。</translation>
    </message>
    <message>
        <source>no bit %1 in a word</source>
        <translation>字中没有位 %1</translation>
    </message>
    <message>
        <source>A word of %1 has the bits 0 to 15: &quot;%2&quot; asks for bit %3.</source>
        <translation>%1 的字有位 0 到 15：“%2”要求位 %3。</translation>
    </message>
    <message>
        <source>no bits in %1</source>
        <translation>%1 中没有位</translation>
    </message>
    <message>
        <source>Only words of 2 bytes have bits to name; %1 holds elements of %2 bytes.</source>
        <translation>只有 2 字节的字才有可指定的位；%1 的元素为 %2 字节。</translation>
    </message>
    <message>
        <source>unknown suffix &quot;.%1&quot;</source>
        <translation>未知后缀“.%1”</translation>
    </message>
    <message>
        <source>After an address of %1 may follow a bit from 0 to 15 or one of the types .S, .U, .D, .UD, .L, .UL, .F, .DF, .T, .WT.</source>
        <translation>%1 的地址后可跟 0 到 15 的位，或类型 .S、.U、.D、.UD、.L、.UL、.F、.DF、.T、.WT 之一。</translation>
    </message>
    <message>
        <source>%L1 s</source>
        <translation>%L1 秒</translation>
    </message>
    <message>
        <source>%L1 min %L2 s</source>
        <translation>%L1 分 %L2 秒</translation>
    </message>
    <message>
        <source>%L1 h %L2 min</source>
        <translation>%L1 小时 %L2 分</translation>
    </message>
    <message>
        <source>Not current: the device last confirmed this value at %1, %2 ago.</source>
        <translation>不是当前值：设备最后一次确认此值是在 %1，%2 之前。</translation>
    </message>
</context>
<context>
    <name>WatchListCsv</name>
    <message>
        <source>Line %1 has a quote inside a field that does not start with one.</source>
        <translation>第 %1 行的某个字段中含有引号，但该字段并非以引号开头。</translation>
    </message>
    <message>
        <source>The quote opened on line %1 is never closed.</source>
        <translation>第 %1 行开始的引号没有闭合。</translation>
    </message>
    <message>
        <source>Line %1 has text after a closing quote.</source>
        <translation>第 %1 行的闭合引号之后还有文本。</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; cannot be imported: %2</source>
        <translation>无法导入文件“%1”：%2</translation>
    </message>
    <message>
        <source>It is not UTF-8 text.</source>
        <translation>它不是 UTF-8 文本。</translation>
    </message>
    <message>
        <source>It is not a regular file.</source>
        <translation>它不是普通文件。</translation>
    </message>
    <message>
        <source>It is larger than %1, the most an import reads.</source>
        <translation>它大于导入可读取的上限 %1。</translation>
    </message>
    <message>
        <source>It holds no names.</source>
        <translation>其中没有名称。</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; cannot be written: %2.</source>
        <translation>无法写入文件“%1”：%2。</translation>
    </message>
    <message>
        <source>It holds control characters (line %1): it is not CSV text.</source>
        <translation>它含有控制字符（第 %1 行），不是 CSV 文本。</translation>
    </message>
</context>
<context>
    <name>WatchListExchange</name>
    <message>
        <source>&amp;Export Watch List...</source>
        <translation>导出监视列表(&amp;E)...</translation>
    </message>
    <message>
        <source>&amp;Import into Watch List...</source>
        <translation>导入到监视列表(&amp;I)...</translation>
    </message>
    <message>
        <source>The watch list &quot;%1&quot; is not in an open project.</source>
        <translation>监视列表“%1”不在已打开的项目中。</translation>
    </message>
    <message>
        <source>Import into Watch List</source>
        <translation>导入到监视列表</translation>
    </message>
    <message>
        <source>the watch list &quot;%1&quot; is no longer in the current project.</source>
        <translation>监视列表“%1”已不在当前项目中。</translation>
    </message>
    <message>
        <source>no watch-list service is loaded.</source>
        <translation>未加载监视列表服务。</translation>
    </message>
    <message>
        <source>the watch list &quot;%1&quot; refused names.</source>
        <translation>监视列表“%1”拒绝了名称。</translation>
    </message>
    <message>
        <source>The import from &quot;%1&quot; stopped after %2 of %3 names: %4</source>
        <translation>从“%1”导入在 %3 个名称中的第 %2 个之后停止：%4</translation>
    </message>
    <message>
        <source>Export Watch List</source>
        <translation>导出监视列表</translation>
    </message>
    <message>
        <source>Select a watch list in the solution tree first.</source>
        <translation>请先在解决方案树中选择一个监视列表。</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>Exported the watch list &quot;%1&quot; to %2.</source>
        <translation>已将监视列表“%1”导出到 %2。</translation>
    </message>
    <message>
        <source>CSV files (*.csv);;All files (*)</source>
        <translation>CSV 文件 (*.csv);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Import cancelled: %1 of %2 names added to the watch list &quot;%3&quot;.</source>
        <translation>导入已取消：%2 个名称中已有 %1 个添加到监视列表“%3”。</translation>
    </message>
    <message>
        <source>Importing names into the watch list &quot;%1&quot;...</source>
        <translation>正在将名称导入监视列表“%1”...</translation>
    </message>
    <message>
        <source>Names added to the watch list &quot;%1&quot;: %2.</source>
        <translation>已添加到监视列表“%1”的名称：%2 个。</translation>
    </message>
    <message>
        <source>Import into &quot;%1&quot;</source>
        <translation>导入到“%1”</translation>
    </message>
    <message>
        <source>Import a name into &quot;%1&quot;</source>
        <translation>导入 1 个名称到“%1”</translation>
    </message>
    <message>
        <source>Import %L1 names into &quot;%2&quot;</source>
        <translation>导入 %L1 个名称到“%2”</translation>
    </message>
</context>
<context>
    <name>WatchListModel</name>
    <message>
        <source>A watch list needs a name.</source>
        <translation>监视列表需要名称。</translation>
    </message>
    <message>
        <source>The watch list name &quot;%1&quot; must not contain &quot;.&quot;.</source>
        <translation>监视列表名称“%1”不能包含“.”。</translation>
    </message>
    <message>
        <source>There is no watch list named &quot;%1&quot;.</source>
        <translation>没有名为“%1”的监视列表。</translation>
    </message>
    <message>
        <source>Only watch lists can be added to the watch lists.</source>
        <translation>只能向监视列表中添加监视列表。</translation>
    </message>
    <message>
        <source>The watch list &quot;%1&quot; is already there.</source>
        <translation>监视列表“%1”已存在。</translation>
    </message>
    <message>
        <source>A watch list named &quot;%1&quot; already exists.</source>
        <translation>名为“%1”的监视列表已存在。</translation>
    </message>
    <message>
        <source>The watch list is not in this project.</source>
        <translation>该监视列表不在此项目中。</translation>
    </message>
</context>
<context>
    <name>Workbench</name>
    <message>
        <source>Watch List Workbench</source>
        <translation>监视列表工作台</translation>
    </message>
    <message>
        <source>Double-click a watch list in the solution tree to open it, or right-click the &quot;Watch List&quot; folder to add one.</source>
        <translation>在解决方案树中双击监视列表将其打开，或右键单击“监视列表”文件夹添加新的监视列表。</translation>
    </message>
    <message>
        <source>Add to Watch List</source>
        <translation>添加到监视列表</translation>
    </message>
    <message>
        <source>%1 is not a Qt plug-in.</source>
        <translation>%1 不是 Qt 插件。</translation>
    </message>
    <message>
        <source>%1 is not a watch-list host plug-in (IID &quot;%2&quot;, expected &quot;%3&quot;).</source>
        <translation>%1 不是监视列表宿主插件（IID 为“%2”，应为“%3”）。</translation>
    </message>
    <message>
        <source>%1 is loaded already.</source>
        <translation>%1 已经加载。</translation>
    </message>
    <message>
        <source>%1 does not provide a watch-list host plug-in object.</source>
        <translation>%1 未提供监视列表宿主插件对象。</translation>
    </message>
    <message>
        <source>%1 failed to initialise.</source>
        <translation>%1 初始化失败。</translation>
    </message>
    <message>
        <source>The watch list &quot;%1&quot; is no longer in the current project.</source>
        <translation>监视列表“%1”已不在当前项目中。</translation>
    </message>
    <message>
        <source>No watch-list service is loaded.</source>
        <translation>未加载监视列表服务。</translation>
    </message>
    <message>
        <source>The watch list &quot;%1&quot; refused the entry.</source>
        <translation>监视列表“%1”拒绝了该条目。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not added: %2</source>
        <translation>“%1”未添加：%2</translation>
    </message>
</context>
<context>
    <name>WorkbenchMenus</name>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Open Project...</source>
        <translation>打开项目(&amp;O)...</translation>
    </message>
    <message>
        <source>&amp;Save Project</source>
        <translation>保存项目(&amp;S)</translation>
    </message>
    <message>
        <source>Save Project &amp;As...</source>
        <translation>项目另存为(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Close Project</source>
        <translation>关闭项目(&amp;C)</translation>
    </message>
    <message>
        <source>Com&amp;pare Projects...</source>
        <translation>比较项目(&amp;P)...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>撤销(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>重做(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Controller</source>
        <translation>控制器(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Online</source>
        <translation>在线(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>设置(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Batch Monitor in Watch Lists</source>
        <translation>在监视列表中启用批量监视(&amp;B)</translation>
    </message>
    <message>
        <source>Watch-list windows opened from now on offer the batch monitor.</source>
        <translation>此后打开的监视列表窗口提供批量监视。</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>Open Project</source>
        <translation>打开项目</translation>
    </message>
    <message>
        <source>Projects (*.wlproj);;All files (*)</source>
        <translation>项目 (*.wlproj);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Save Project</source>
        <translation>保存项目</translation>
    </message>
    <message>
        <source>Save Project As</source>
        <translation>项目另存为</translation>
    </message>
    <message>
        <source>Projects (*.wlproj)</source>
        <translation>项目 (*.wlproj)</translation>
    </message>
    <message>
        <source>Compare Projects</source>
        <translation>比较项目</translation>
    </message>
    <message>
        <source>Open two projects to compare their watch lists.</source>
        <translation>请打开两个项目以比较它们的监视列表。</translation>
    </message>
    <message>
        <source>First project:</source>
        <translation>第一个项目：</translation>
    </message>
    <message>
        <source>Compare with:</source>
        <translation>与之比较：</translation>
    </message>
    <message>
        <source>Watch Lists of %1 and %2</source>
        <translation>%1 与 %2 的监视列表</translation>
    </message>
    <message>
        <source>Watch List</source>
        <translation>监视列表</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Same</source>
        <translation>相同</translation>
    </message>
    <message>
        <source>Different</source>
        <translation>不同</translation>
    </message>
    <message>
        <source>Only in %1</source>
        <translation>仅在 %1 中</translation>
    </message>
    <message>
        <source>No comparator for this kind of node</source>
        <translation>没有适用于此类节点的比较器</translation>
    </message>
    <message>
        <source>Close Project</source>
        <translation>关闭项目</translation>
    </message>
    <message>
        <source>The project &quot;%1&quot; has changes that are not saved. Save them?</source>
        <translation>项目“%1”有未保存的更改。是否保存？</translation>
    </message>
    <message>
        <source>&amp;Connect...</source>
        <translation>连接(&amp;C)...</translation>
    </message>
    <message>
        <source>Controller</source>
        <translation>控制器</translation>
    </message>
</context>
</TS>
