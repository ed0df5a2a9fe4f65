<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BatchMonotorDlg</name>
    <message>
        <source>SoftComponent Type:</source>
        <translation>软元件类型：</translation>
    </message>
    <message>
        <source>Data Type:</source>
        <translation>数据类型：</translation>
    </message>
    <message>
        <source>Show Mode:</source>
        <translation>显示格式：</translation>
    </message>
    <message>
        <source>Begin Address:</source>
        <translation>起始地址：</translation>
    </message>
    <message>
        <source>End Address:</source>
        <translation>结束地址：</translation>
    </message>
    <message>
        <source>Length:</source>
        <translation>长度：</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Binary</source>
        <translation>二进制</translation>
    </message>
    <message>
        <source>Decimal</source>
        <translation>十进制</translation>
    </message>
    <message>
        <source>Hexadecimal</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <source>Begin address out of limt!</source>
        <translation>起始地址超出范围！</translation>
    </message>
    <message>
        <source>End address out of limt!</source>
        <translation>结束地址超出范围！</translation>
    </message>
    <message>
        <source>End address can not less than begin address!</source>
        <translation>结束地址不能小于起始地址！</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>​​Batch Monitor</source>
        <translation>​​批量监视</translation>
    </message>
</context>
<context>
    <name>EntryCommand</name>
    <message>
        <source>Add %1 to %2</source>
        <translation>将 %1 添加到 %2</translation>
    </message>
    <message>
        <source>Change %1 to %2 in %3</source>
        <translation>在 %3 中将 %1 改为 %2</translation>
    </message>
    <message>
        <source>Insert a row into %1</source>
        <translation>在 %1 中插入一行</translation>
    </message>
    <message>
        <source>Delete %L1 rows from %2</source>
        <translation>从 %2 中删除 %L1 行</translation>
    </message>
    <message>
        <source>Show %1 in %2</source>
        <translation>以%2显示 %1</translation>
    </message>
    <message>
        <source>Add a row to %1</source>
        <translation>向 %1 添加一行</translation>
    </message>
    <message>
        <source>Add %L1 rows to %2</source>
        <translation>向 %2 添加 %L1 行</translation>
    </message>
    <message>
        <source>Type %1 into %2</source>
        <translation>在 %2 中输入 %1</translation>
    </message>
    <message>
        <source>Clear %1 in %2</source>
        <translation>在 %2 中清除 %1</translation>
    </message>
    <message>
        <source>Delete an empty row from %1</source>
        <translation>从 %1 中删除一个空行</translation>
    </message>
    <message>
        <source>Delete %1 from %2</source>
        <translation>从 %2 中删除 %1</translation>
    </message>
    <message>
        <source>Paste %1 into %2</source>
        <translation>将 %1 粘贴到 %2</translation>
    </message>
    <message>
        <source>Paste %L1 names into %2</source>
        <translation>将 %L1 个名称粘贴到 %2</translation>
    </message>
    <message>
        <source>Move %1 up in %2</source>
        <translation>在 %2 中上移 %1</translation>
    </message>
    <message>
        <source>Move %1 down in %2</source>
        <translation>在 %2 中下移 %1</translation>
    </message>
    <message>
        <source>Move %L1 rows up in %2</source>
        <translation>在 %2 中上移 %L1 行</translation>
    </message>
    <message>
        <source>Move %L1 rows down in %2</source>
        <translation>在 %2 中下移 %L1 行</translation>
    </message>
</context>
<context>
    <name>NewWatchListDlg</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>New Watch List</source>
        <translation>新建监视列表</translation>
    </message>
    <message>
        <source>Watch List:</source>
        <translation>监视列表：</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Watch List Name Out Of Limit!</source>
        <translation>监视列表名称超出长度限制！</translation>
    </message>
</context>
<context>
    <name>RenameWatchListDlg</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Rename Watch List</source>
        <translation>重命名监视列表</translation>
    </message>
    <message>
        <source>Rename WatchList</source>
        <translation>重命名监视列表</translation>
    </message>
    <message>
        <source>To:</source>
        <translation>改为：</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>New name has been used!</source>
        <translation>新名称已被使用！</translation>
    </message>
</context>
<context>
    <name>WatchListPlugin</name>
    <message>
        <source>Add Watch List</source>
        <translation>添加监视列表</translation>
    </message>
    <message>
        <source>Edit Watch List</source>
        <translation>编辑监视列表</translation>
    </message>
    <message>
        <source>Rename Watch List</source>
        <translation>重命名监视列表</translation>
    </message>
    <message>
        <source>Remove Watch List</source>
        <translation>删除监视列表</translation>
    </message>
    <message>
        <source>Watch List</source>
        <translation>监视列表</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Sure to remove this watchlist?</source>
        <translation>确定要删除此监视列表吗？</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Watch List_</source>
        <translation>监视列表_</translation>
    </message>
</context>
<context>
    <name>WatchListWidget</name>
    <message>
        <source>Goto Definition</source>
        <translation>转到定义</translation>
    </message>
    <message>
        <source>Browse CrossReference</source>
        <translation>浏览交叉引用</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>插入</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Batch Monitor</source>
        <translation>批量监视</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Delete all %L1 entries of %2?</source>
        <translation>删除 %2 的全部 %L1 个条目吗？</translation>
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
        <source>A watch list holds at most %L1 entries: the %L2 rows of this range do not fit into %3, which holds %L4. Nothing was added.</source>
        <translation>一个监视列表最多容纳 %L1 个条目：此范围的 %L2 行放不进已有 %L4 个条目的 %3。未添加任何内容。</translation>
    </message>
    <message>
        <source>Add %L1 rows to %2?</source>
        <translation>向 %2 添加 %L1 行吗？</translation>
    </message>
    <message>
        <source>Find a name (Enter or F3: the next one)</source>
        <translation>查找名称（Enter 或 F3：下一个）</translation>
    </message>
    <message>
        <source>No name contains &quot;%1&quot;.</source>
        <translation>没有名称包含“%1”。</translation>
    </message>
</context>
</TS>
